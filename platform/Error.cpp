#include "platform/Error.h"

std::string FormatMessage(const std::string& pattern, const std::string& arg)
{
    std::string result = pattern;
    if (auto at = result.find("%s"); at != std::string::npos)
        result.replace(at, 2, arg);
    return result;
}

std::string StandardErrorText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}
