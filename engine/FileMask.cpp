#include "engine/FileMask.h"

#include <utility>

namespace {

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Greedy matching with one point of return: on a mismatch the latest "*" takes one more character. Linear in
// practice and never recursive, whatever the pattern.
bool WildcardMatches(std::string_view pattern, std::string_view name)
{
    size_t p = 0;
    size_t n = 0;
    size_t starAt = std::string_view::npos;
    size_t nameAtStar = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            nameAtStar = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++nameAtStar;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

FileMask::FileMask(std::string pattern)
    : m_pattern(std::move(pattern)), m_takesEveryName(m_pattern == "*" || m_pattern == "*.*")
{
}

bool FileMask::Matches(std::string_view name) const
{
    if (m_takesEveryName)
        return true;
    if (WildcardMatches(m_pattern, name))
        return true;
    const std::string_view pattern = m_pattern;
    return pattern.ends_with(".*") && name.find('.') == std::string_view::npos
        && WildcardMatches(pattern.substr(0, pattern.size() - 2), name);
}
