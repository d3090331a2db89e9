#include "wizardfrm/WizardInteger.h"

namespace {

// The value of c as a digit of base, or -1 when it is none.
int DigitValue(char c, int base)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsHexMarker(char c)
{
    return c == '$' || c == 'x' || c == 'X';
}

} // namespace

std::optional<int32_t> ParseWizardInteger(std::string_view text)
{
    size_t at = 0;
    while (at < text.size() && text[at] == ' ')
        ++at;

    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }

    int base = 10;
    if (at < text.size() && IsHexMarker(text[at])) {
        base = 16;
        at += 1;
    } else if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }

    if (at == text.size())
        return std::nullopt; // a sign or a hexadecimal marker without digits

    // The magnitude is bounded by that of the lowest value, so it never overflows however many
    // digits (leading zeros included) the text holds.
    constexpr int64_t lowestMagnitude = -static_cast<int64_t>(INT32_MIN);
    int64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        const int digit = DigitValue(text[at], base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > lowestMagnitude)
            return std::nullopt;
    }

    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

std::string WizardIntervalText(std::string_view text)
{
    const std::optional<int32_t> value = ParseWizardInteger(text);
    return value ? std::to_string(*value) : std::string("10");
}
