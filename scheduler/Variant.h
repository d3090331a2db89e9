#pragma once

#include <cstdint>
#include <string>
#include <variant>

// A tagged value holding text, an integer or a double-precision number, as a profile's fields do.
// Text converts to a number by the process locale (sign, digits, the locale's decimal separator; the exact
// rule is ParseLocaleNumber's, in LocaleNumber.h);
// text that does not convert fails with Error("Invalid variant type conversion").
class Variant {
public:
    Variant() = default; // the empty text
    Variant(std::string text) : m_value(std::move(text)) {}              // NOLINT: a text is a variant
    Variant(const char* text) : m_value(std::string(text)) {}            // NOLINT
    static Variant Integer(int64_t value) { Variant v; v.m_value = value; return v; }
    static Variant Double(double value) { Variant v; v.m_value = value; return v; }

    bool IsText() const { return std::holds_alternative<std::string>(m_value); }
    bool IsInteger() const { return std::holds_alternative<int64_t>(m_value); }
    bool IsDouble() const { return std::holds_alternative<double>(m_value); }

    // The value as text: the text itself, or the number written out.
    std::string ToText() const;

    // Equality with the integer 0. Throws Error("Invalid variant type conversion") for text
    // that does not convert.
    bool EqualsZero() const;

    // The value minus 1, as a double-precision number. Throws as EqualsZero does.
    Variant MinusOne() const;

    // The number the value stands for. Throws as EqualsZero does.
    double ToDouble() const;

private:
    std::variant<std::string, int64_t, double> m_value;
};

// The message of the conversion failure.
inline constexpr const char* InvalidVariantConversion = "Invalid variant type conversion";
