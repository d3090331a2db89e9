// The countdown's number conversion on arbitrary text and separators. Invariants:
// - nothing crashes, whatever the text or the separator;
// - with a usable separator (not empty, no digit, blank or sign in it) the text parses exactly when an
//   independent check of the rule accepts it, to the value that strtod gives for it in the "C" locale;
// - a value that parses is written as a plain number that parses back to the same value (a text variant
//   re-parses from its own text), and a written number holds no exponent;
// - a text variant's EqualsZero and MinusOne agree with the parse: they fail with the conversion error
//   exactly when the parse refuses, compare by value, and subtract exactly 1.
#include "FuzzCheck.h"
#include "platform/Error.h"
#include "scheduler/LocaleNumber.h"
#include "scheduler/Variant.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

bool Usable(const std::string& separator)
{
    return !separator.empty() && separator.find_first_of("0123456789 \t+-") == std::string::npos;
}

// The rule checked by hand, the value by strtod on the text rewritten with ".".
std::optional<double> Reference(const std::string& text, const std::string& separator)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t'))
        ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t'))
        --last;
    std::string plain;
    size_t i = first;
    if (i < last && (text[i] == '+' || text[i] == '-'))
        plain += text[i++];
    bool digit = false;
    bool point = false;
    while (i < last) {
        if (text[i] >= '0' && text[i] <= '9') {
            plain += text[i++];
            digit = true;
        } else if (!point && text.compare(i, separator.size(), separator) == 0 && i + separator.size() <= last) {
            plain += '.';
            point = true;
            i += separator.size();
        } else {
            return std::nullopt;
        }
    }
    if (!digit)
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(plain.c_str(), &end);
    // strtod also says ERANGE for a subnormal result, which a double does hold; only a value that became
    // zero or infinite is one that a double cannot hold.
    if ((errno == ERANGE && (value == 0.0 || std::isinf(value))) || end != plain.c_str() + plain.size())
        return std::nullopt;
    return value;
}

// An optional minus, digits, and at most one separator followed by digits: no exponent, whatever letters
// the separator itself holds.
bool PlainNumber(const std::string& written, const std::string& separator)
{
    const auto digits = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    std::string_view rest(written);
    if (rest.starts_with('-'))
        rest.remove_prefix(1);
    const size_t point = rest.find(separator);
    if (point == std::string_view::npos)
        return digits(rest);
    return digits(rest.substr(0, point)) && digits(rest.substr(point + separator.size()));
}

bool SameDouble(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string Shown(std::optional<double> value)
{
    if (!value)
        return "nothing";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", *value);
    return buffer;
}

void CheckVariant(const std::string& text, std::optional<double> parsed, const std::string& report)
{
    const Variant variant(text);
    std::optional<bool> zero;
    std::optional<double> less;
    try {
        zero = variant.EqualsZero();
        less = variant.MinusOne().ToDouble();
    } catch (const Error& error) {
        FUZZ_CHECK(std::string(error.what()) == InvalidVariantConversion, report + " " + error.what());
    }
    FUZZ_CHECK(zero.has_value() == parsed.has_value(), report);
    FUZZ_CHECK(less.has_value() == parsed.has_value(), report);
    if (!parsed)
        return;
    FUZZ_CHECK(*zero == (*parsed == 0.0), report);
    FUZZ_CHECK(SameDouble(*less, *parsed - 1.0), report + " minus one " + Shown(less));
    const Variant number = Variant::Double(*parsed);
    FUZZ_CHECK(SameDouble(Variant(number.ToText()).ToDouble(), *parsed), report + " text " + number.ToText());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    std::string separator;
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        separator = ".";
        break;
    case 1:
        separator = ",";
        break;
    case 2:
        separator = "\xd9\xab";
        break; // the Arabic decimal separator, two bytes in UTF-8
    default:
        separator = input.ConsumeRandomLengthString(4);
        break;
    }
    const std::string text = input.ConsumeRemainingBytesAsString();

    const std::optional<double> parsed = ParseLocaleNumber(text, separator);
    if (!Usable(separator))
        return 0;
    const std::optional<double> expected = Reference(text, separator);
    const std::string report = fuzzcheck::Shown(text) + " separator " + fuzzcheck::Shown(separator) + " got "
        + Shown(parsed) + " expected " + Shown(expected);
    FUZZ_CHECK(parsed.has_value() == expected.has_value(), report);
    if (parsed) {
        FUZZ_CHECK(SameDouble(*parsed, *expected), report);
        const std::string written = WriteLocaleNumber(*parsed, separator);
        FUZZ_CHECK(PlainNumber(written, separator), report + " written " + written);
        const std::optional<double> again = ParseLocaleNumber(written, separator);
        FUZZ_CHECK(again && SameDouble(*again, *parsed), report + " written " + written);
    }
    // The variant reads text by the process locale, whose separator is "." here.
    if (separator == ".")
        CheckVariant(text, parsed, report);
    return 0;
}
