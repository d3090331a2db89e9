#pragma once

#include <stdexcept>
#include <string>

// A failure raised as an error that carries the message the user will read.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces the first "%s" of pattern by arg ("Cannot open file %s").
std::string FormatMessage(const std::string& pattern, const std::string& arg);

// The text of the standard error box: the message, plus "." when its last byte is above "." in value.
std::string StandardErrorText(const std::string& message);
