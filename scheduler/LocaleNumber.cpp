#include "scheduler/LocaleNumber.h"

#include <array>
#include <charconv>
#include <clocale>
#include <stdexcept>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<double> ParseLocaleNumber(std::string_view text, std::string_view decimalSeparator)
{
    std::string_view rest = TrimBlanks(text);

    // The number is rewritten with "." so that from_chars, which ignores the locale, reads it; checking
    // every byte here first keeps from_chars from accepting anything beyond the rule above.
    std::string plain;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        if (rest.front() == '-')
            plain += '-';
        rest.remove_prefix(1);
    }
    bool seenDigit = false;
    bool seenSeparator = false;
    while (!rest.empty()) {
        if (IsDigit(rest.front())) {
            plain += rest.front();
            seenDigit = true;
            rest.remove_prefix(1);
        } else if (!seenSeparator && !decimalSeparator.empty() && rest.starts_with(decimalSeparator)) {
            plain += '.';
            seenSeparator = true;
            rest.remove_prefix(decimalSeparator.size());
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit)
        return std::nullopt;

    double value = 0;
    const char* end = plain.data() + plain.size();
    auto [stop, failure] = std::from_chars(plain.data(), end, value, std::chars_format::fixed);
    if (failure != std::errc() || stop != end)
        return std::nullopt; // out of a double's range
    return value;
}

std::string WriteLocaleNumber(double value, std::string_view decimalSeparator)
{
    // The longest fixed form of a double is about 330 characters (the smallest subnormals).
    std::array<char, 512> buffer {};
    auto [end, failure] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    if (failure != std::errc())
        throw std::logic_error("a double's fixed form outgrew its buffer");
    std::string text(buffer.data(), end);
    if (auto point = text.find('.'); point != std::string::npos)
        text.replace(point, 1, decimalSeparator);
    return text;
}

std::string CurrentDecimalSeparator()
{
    const char* separator = std::localeconv()->decimal_point;
    return separator ? separator : ".";
}
