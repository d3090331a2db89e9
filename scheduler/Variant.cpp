#include "scheduler/Variant.h"

#include "platform/Error.h"
#include "scheduler/LocaleNumber.h"

namespace {

double TextToNumber(const std::string& text)
{
    if (auto number = ParseLocaleNumber(text, CurrentDecimalSeparator()))
        return *number;
    throw Error(InvalidVariantConversion);
}

} // namespace

std::string Variant::ToText() const
{
    if (const auto* text = std::get_if<std::string>(&m_value))
        return *text;
    if (const auto* integer = std::get_if<int64_t>(&m_value))
        return std::to_string(*integer);
    return WriteLocaleNumber(std::get<double>(m_value), CurrentDecimalSeparator());
}

double Variant::ToDouble() const
{
    if (const auto* text = std::get_if<std::string>(&m_value))
        return TextToNumber(*text);
    if (const auto* integer = std::get_if<int64_t>(&m_value))
        return static_cast<double>(*integer);
    return std::get<double>(m_value);
}

bool Variant::EqualsZero() const
{
    if (const auto* integer = std::get_if<int64_t>(&m_value))
        return *integer == 0;
    return ToDouble() == 0.0;
}

Variant Variant::MinusOne() const
{
    return Double(ToDouble() - 1.0);
}
