#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text to number by a locale's rules. The separator is a parameter rather than read from the process
// locale, so the conversion can be driven with any separator at all.
//
// Accepted, and nothing else: optional blanks (space, tab), an optional "+" or "-", ASCII digits with at
// most one decimalSeparator among them and at least one digit ("5", "5,", ",5" with ","), optional blanks.
// Refused: empty or blank text, exponents, digit grouping, "inf", "nan", hexadecimal, any other byte, and
// values too large or too small in magnitude for a double (those a locale's digits can write but a
// double cannot hold). Text that is refused yields nothing.
std::optional<double> ParseLocaleNumber(std::string_view text, std::string_view decimalSeparator);

// value as a plain number, never with an exponent ("3", "2.5", "-0.001"), the decimal separator in place
// of "."; the shortest such text that ParseLocaleNumber reads back as the same value. Infinities and NaN,
// which the parse never yields, come out as "inf", "-inf" and "nan".
std::string WriteLocaleNumber(double value, std::string_view decimalSeparator);

// The decimal separator of the process locale (LC_NUMERIC), as the C library reports it.
std::string CurrentDecimalSeparator();
