#pragma once

#include <clocale>
#include <optional>
#include <string>

// Switches the process's LC_NUMERIC for the life of a test and back, so number tests do not depend on the
// environment they run in.
class NumericLocale {
public:
    explicit NumericLocale(const std::string& name) : m_previous(std::setlocale(LC_NUMERIC, nullptr))
    {
        m_active = std::setlocale(LC_NUMERIC, name.c_str()) != nullptr;
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, m_previous.c_str()); }
    NumericLocale(const NumericLocale&) = delete;
    NumericLocale& operator=(const NumericLocale&) = delete;

    bool Active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

// The first installed locale of a few common ones whose decimal separator is ",", or nothing.
inline std::optional<std::string> FindCommaLocale()
{
    for (const char* name : { "el_GR.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", "el_GR.utf8", "de_DE.utf8",
                              "fr_FR.utf8", "el_GR", "de_DE", "fr_FR" }) {
        NumericLocale locale(name);
        if (locale.Active() && std::string(std::localeconv()->decimal_point) == ",")
            return name;
    }
    return std::nullopt;
}

inline constexpr const char* NoCommaLocale
    = "no locale with a \",\" decimal separator is installed (el_GR, de_DE or fr_FR)";
