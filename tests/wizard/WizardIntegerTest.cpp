#include "wizardfrm/WizardInteger.h"

#include <gtest/gtest.h>

#include <climits>

TEST(WizardInteger, DecimalTextWithBlanksAndSignsReadsAsItsValue)
{
    EXPECT_EQ(WizardIntervalText("180"), "180");
    EXPECT_EQ(WizardIntervalText("042"), "42");
    EXPECT_EQ(WizardIntervalText("+7"), "7");
    EXPECT_EQ(WizardIntervalText("-5"), "-5");
    EXPECT_EQ(WizardIntervalText(" 12"), "12");
    EXPECT_EQ(WizardIntervalText("   -0"), "0");
    EXPECT_EQ(WizardIntervalText("0"), "0");
    EXPECT_EQ(WizardIntervalText("00000000000000000000042"), "42");
}

TEST(WizardInteger, HexadecimalAfterEachMarkerInEitherCase)
{
    EXPECT_EQ(WizardIntervalText("$B4"), "180");
    EXPECT_EQ(WizardIntervalText("$b4"), "180");
    EXPECT_EQ(WizardIntervalText("0x1F"), "31");
    EXPECT_EQ(WizardIntervalText("0X1f"), "31");
    EXPECT_EQ(WizardIntervalText("x1f"), "31");
    EXPECT_EQ(WizardIntervalText("X1F"), "31");
    EXPECT_EQ(WizardIntervalText("-$10"), "-16");
    EXPECT_EQ(WizardIntervalText(" +0x7FFFFFFF"), "2147483647");
    EXPECT_EQ(WizardIntervalText("-$80000000"), "-2147483648");
}

TEST(WizardInteger, TheSigned32BitRangeIsKeptToTheLastValue)
{
    EXPECT_EQ(ParseWizardInteger("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseWizardInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseWizardInteger("2147483648"), std::nullopt);
    EXPECT_EQ(ParseWizardInteger("-2147483649"), std::nullopt);
    EXPECT_EQ(ParseWizardInteger("3000000000"), std::nullopt);
    EXPECT_EQ(ParseWizardInteger("$80000000"), std::nullopt);
    EXPECT_EQ(ParseWizardInteger("$FFFFFFFF"), std::nullopt);
    EXPECT_EQ(ParseWizardInteger("99999999999999999999999999"), std::nullopt);
    EXPECT_EQ(WizardIntervalText("-2147483648"), "-2147483648");
    EXPECT_EQ(WizardIntervalText("2147483648"), "10");
    EXPECT_EQ(WizardIntervalText("3000000000"), "10");
}

TEST(WizardInteger, AnythingElseGivesTen)
{
    for (const char* text : {"", "12abc", "$", "x", "0x", "+", "-", " ", "12 ", "1 2", "- 5", "+-5", "$G", "0x-1",
                             "1e3", "1.5", "\t12", "12;", "abc", "0b101", "$$1", "x$1", "٣"})
        EXPECT_EQ(WizardIntervalText(text), "10") << '"' << text << '"';
    EXPECT_EQ(WizardIntervalText(std::string("12\0", 3)), "10");
}
