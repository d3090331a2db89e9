#include "NumericLocale.h"
#include "platform/Error.h"
#include "scheduler/Variant.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// The message of the error that operation raised, or "" when it raised none.
std::string ErrorOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(Variant, TextConvertsByTheProcessLocaleAndFailsWithTheConversionError)
{
    NumericLocale dot("C");
    ASSERT_TRUE(dot.Active());

    EXPECT_TRUE(Variant("0").EqualsZero());
    EXPECT_TRUE(Variant(" -0.0 ").EqualsZero());
    EXPECT_FALSE(Variant("3").EqualsZero());
    EXPECT_FALSE(Variant("0.001").EqualsZero());

    Variant next = Variant("3").MinusOne();
    EXPECT_TRUE(next.IsDouble());
    EXPECT_EQ(next.ToDouble(), 2);
    EXPECT_EQ(Variant("2.5").MinusOne().ToDouble(), 1.5);

    // The grammar itself is ParseLocaleNumber's; here every operation must fail the same way.
    for (const std::string text : { "", " ", "abc", "2,5", "inf" }) {
        const Variant value(text);
        EXPECT_EQ(ErrorOf([&] { value.EqualsZero(); }), "Invalid variant type conversion") << '"' << text << '"';
        EXPECT_EQ(ErrorOf([&] { value.MinusOne(); }), "Invalid variant type conversion") << '"' << text << '"';
        EXPECT_EQ(ErrorOf([&] { value.ToDouble(); }), "Invalid variant type conversion") << '"' << text << '"';
        EXPECT_EQ(value.ToText(), text); // text is kept as it was, whatever it holds
    }
}

TEST(Variant, NumbersCompareSubtractAndWriteAsPlainNumbers)
{
    NumericLocale dot("C");
    ASSERT_TRUE(dot.Active());

    EXPECT_TRUE(Variant::Integer(0).EqualsZero());
    EXPECT_FALSE(Variant::Integer(-1).EqualsZero());
    EXPECT_TRUE(Variant::Double(0.0).EqualsZero());
    EXPECT_TRUE(Variant::Double(-0.0).EqualsZero());
    EXPECT_FALSE(Variant::Double(0.5).EqualsZero());
    EXPECT_TRUE(Variant::Double(1).MinusOne().EqualsZero());

    const Variant belowZero = Variant::Integer(0).MinusOne();
    EXPECT_TRUE(belowZero.IsDouble());
    EXPECT_EQ(belowZero.ToDouble(), -1);

    EXPECT_EQ(Variant::Integer(0).ToText(), "0");
    EXPECT_EQ(Variant::Integer(-7).ToText(), "-7");
    EXPECT_EQ(Variant::Double(3).ToText(), "3");
    EXPECT_EQ(Variant::Double(2.5).ToText(), "2.5");
    EXPECT_EQ(Variant::Double(-0.5).ToText(), "-0.5");
    EXPECT_EQ(Variant::Double(1e20).ToText(), "100000000000000000000");
    EXPECT_EQ(Variant(Variant::Double(0.1).ToText()).ToDouble(), 0.1);
    EXPECT_EQ(Variant().ToText(), "");
}

TEST(Variant, ACommaLocaleReadsAndWritesDecimalCommas)
{
    const auto comma = FindCommaLocale();
    if (!comma)
        GTEST_SKIP() << NoCommaLocale;
    NumericLocale locale(*comma);
    ASSERT_TRUE(locale.Active());

    EXPECT_EQ(Variant("2,5").ToDouble(), 2.5);
    EXPECT_EQ(Variant("-0,5").MinusOne().ToDouble(), -1.5);
    EXPECT_EQ(ErrorOf([] { Variant("2.5").EqualsZero(); }), "Invalid variant type conversion");
    EXPECT_EQ(ErrorOf([] { Variant("1.000").ToDouble(); }), "Invalid variant type conversion");
    EXPECT_EQ(Variant::Double(2.5).ToText(), "2,5");
    EXPECT_EQ(Variant(Variant::Double(0.1).ToText()).ToDouble(), 0.1);
}
