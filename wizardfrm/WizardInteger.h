#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Reads the interval box's text as an integer: leading blanks, an optional "+" or "-", then
// decimal digits, or hexadecimal digits after "$", "x" or "0x" (either case of x). The value
// must fit a signed 32-bit integer and nothing may follow it. Nothing when the text is not such
// an integer, the empty text included.
std::optional<int32_t> ParseWizardInteger(std::string_view text);

// The interval the wizard hands back: the integer in plain decimal, or "10" when the text holds none.
std::string WizardIntervalText(std::string_view text);
