#pragma once

#include <string>
#include <string_view>

// A wildcard pattern that selects files by name, as a folder listing takes it: "*" stands for any run of
// characters, "?" for any one character, letters match without regard to ASCII case, and a pattern that ends in
// ".*" also takes names with no dot at all, so "*.*" takes every name.
class FileMask {
public:
    explicit FileMask(std::string pattern);

    bool Matches(std::string_view name) const;

private:
    std::string m_pattern;
    bool m_takesEveryName;
};
