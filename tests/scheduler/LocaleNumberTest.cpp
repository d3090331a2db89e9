#include "scheduler/LocaleNumber.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string ArabicSeparator = "\xD9\xAB"; // U+066B, a decimal separator of two bytes

} // namespace

TEST(ParseLocaleNumber, ReadsSignDigitsAndOneSeparatorOfTheGivenLocale)
{
    const std::vector<std::pair<std::string, double>> dotted = {
        { "0", 0 }, { "3", 3 }, { "180", 180 }, { "-2", -2 }, { "+7", 7 }, { "2.5", 2.5 }, { "-0.25", -0.25 },
        { "5.", 5 }, { ".5", 0.5 }, { "-.5", -0.5 }, { "007", 7 }, { "  42", 42 }, { "42\t ", 42 },
        { " \t-1.5 ", -1.5 }, { "123456789012345678901234567890", 1.2345678901234568e29 },
    };
    for (const auto& [text, expected] : dotted) {
        auto number = ParseLocaleNumber(text, ".");
        ASSERT_TRUE(number.has_value()) << '"' << text << '"';
        EXPECT_EQ(*number, expected) << '"' << text << '"';
    }
    EXPECT_EQ(ParseLocaleNumber("2,5", ","), 2.5);
    EXPECT_EQ(ParseLocaleNumber("-,75", ","), -0.75);
    EXPECT_EQ(ParseLocaleNumber("2" + ArabicSeparator + "5", ArabicSeparator), 2.5);
    EXPECT_TRUE(std::signbit(*ParseLocaleNumber("-0", "."))); // still equal to 0
    // A locale without a separator still reads whole numbers.
    EXPECT_EQ(ParseLocaleNumber("12", ""), 12);
}

TEST(ParseLocaleNumber, RefusesWhatTheLocalesDigitsDoNotWrite)
{
    const std::vector<std::string> refusedWithDot = {
        "", " ", "\t", "-", "+", ".", "-.", "abc", "3a", "a3", "2,5", "1.2.3", "1..2", "+-1", "--1", "1-",
        "1 2", "1e3", "1E3", "1e", "inf", "-inf", "infinity", "nan", "NaN", "0x10", "0x1p3", "1,000",
        "\n1", "1\n", "1\r", std::string("1\0", 2), "\xD9\xA3", "1" + std::string(400, '0'),
        "0." + std::string(400, '0') + "1",
    };
    for (const auto& text : refusedWithDot)
        EXPECT_FALSE(ParseLocaleNumber(text, ".").has_value()) << '"' << text << '"';

    for (const auto& text : { "2.5", "1,2,3", ",", "1,000.5" })
        EXPECT_FALSE(ParseLocaleNumber(text, ",").has_value()) << '"' << text << '"';
    // Half of a two-byte separator is not a separator.
    EXPECT_FALSE(ParseLocaleNumber("2\xD9" "5", ArabicSeparator).has_value());
    EXPECT_FALSE(ParseLocaleNumber("2.5", ArabicSeparator).has_value());
    EXPECT_FALSE(ParseLocaleNumber("2.5", "").has_value());
}

TEST(WriteLocaleNumber, WritesPlainNumbersThatReadBackExactly)
{
    EXPECT_EQ(WriteLocaleNumber(3, "."), "3");
    EXPECT_EQ(WriteLocaleNumber(2.5, "."), "2.5");
    EXPECT_EQ(WriteLocaleNumber(-0.5, ","), "-0,5");
    EXPECT_EQ(WriteLocaleNumber(1e20, "."), "100000000000000000000");
    EXPECT_EQ(WriteLocaleNumber(1e-7, "."), "0.0000001");
    EXPECT_EQ(WriteLocaleNumber(0.1 + 0.2, "."), "0.30000000000000004");
    EXPECT_EQ(WriteLocaleNumber(2.5, ArabicSeparator), "2" + ArabicSeparator + "5");

    const std::vector<double> values = { 0, -1, 0.1, 179.75, -3.000001, 1e300, DBL_MAX, -DBL_MAX, DBL_MIN,
                                         DBL_TRUE_MIN, 4503599627370497.0, 2.2250738585072009e-308 };
    for (const std::string separator : { ".", ",", ArabicSeparator.c_str() }) {
        for (double value : values) {
            const std::string text = WriteLocaleNumber(value, separator);
            EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
            EXPECT_EQ(ParseLocaleNumber(text, separator), value) << text;
        }
    }
}
