// The wizard's reading of the interval box, against a plain reference written from the rule: leading blanks,
// an optional "+" or "-", then decimal digits, or hexadecimal digits after "$", "x" or "0x" (either case of
// x); the value in the signed 32-bit range; nothing after it. Also: the interval text is the value in plain
// decimal, or "10" when there is none, and that decimal text reads back as the same value.
#include "FuzzCheck.h"
#include "wizardfrm/WizardInteger.h"

#include <cstdint>
#include <optional>
#include <string>

namespace {

std::optional<int32_t> Reference(const std::string& text)
{
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        return std::nullopt;
    int sign = 1;
    if (text[i] == '+' || text[i] == '-') {
        sign = text[i] == '-' ? -1 : 1;
        ++i;
    }
    int base = 10;
    if (text.compare(i, 1, "$") == 0 || text.compare(i, 1, "x") == 0 || text.compare(i, 1, "X") == 0) {
        base = 16;
        i += 1;
    } else if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
        base = 16;
        i += 2;
    }
    const std::string digits = text.substr(std::min(i, text.size()));
    const std::string allowed = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos)
        return std::nullopt;
    // Leading zeros say nothing; beyond ten significant digits no 32-bit value is left.
    const std::string significant = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
    if (significant.size() > 10)
        return std::nullopt;
    const long long magnitude = significant.empty() ? 0 : std::stoll(significant, nullptr, base);
    const long long value = sign * magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<int32_t> got = ParseWizardInteger(text);
    const std::optional<int32_t> expected = Reference(text);
    const std::string report = fuzzcheck::Shown(text) + " got " + (got ? std::to_string(*got) : "nothing")
        + " expected " + (expected ? std::to_string(*expected) : "nothing");
    FUZZ_CHECK(got == expected, report);

    const std::string interval = WizardIntervalText(text);
    FUZZ_CHECK(interval == (expected ? std::to_string(*expected) : "10"), report + " interval " + interval);
    FUZZ_CHECK(ParseWizardInteger(interval) == (expected ? *expected : 10), report + " interval " + interval);
    return 0;
}
