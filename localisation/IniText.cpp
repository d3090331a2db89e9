#include "localisation/IniText.h"

#include "platform/Listing.h"
#include "platform/TextFile.h"

#include <optional>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view WithoutTrailingBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view WithoutBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return WithoutTrailingBlanks(text);
}

std::string_view WithoutQuotes(std::string_view value)
{
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
                        && value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

std::string Limited(std::string_view value)
{
    return std::string(value.substr(0, MaxIniValueLength));
}

// Callers' names and values are C strings to the file: a line end would split the line, and
// everything after a NUL would be unreadable.
std::string OneLine(const std::string& text)
{
    return text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3)));
}

std::string_view ReadableText(std::string_view content)
{
    return content.substr(0, content.find('\0'));
}

std::optional<std::string_view> SectionNameOf(std::string_view line)
{
    line = WithoutBlanks(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const size_t close = line.rfind(']');
    if (close == 0 || close == std::string_view::npos)
        return std::nullopt;
    return line.substr(1, close - 1);
}

struct KeyLine {
    std::string_view name;
    std::string_view value;
};

// Only for lines inside a section, which are never section lines.
std::optional<KeyLine> KeyLineOf(std::string_view line)
{
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{WithoutBlanks(line.substr(0, equals)), WithoutBlanks(line.substr(equals + 1))};
}

bool SameName(std::string_view inFile, const std::string& wanted)
{
    return platform::EqualIgnoringAsciiCase(std::string(inFile), wanted);
}

std::optional<size_t> FindSection(const Lines& lines, const std::string& section)
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (const auto name = SectionNameOf(lines[i]); name && SameName(*name, section))
            return i;
    return std::nullopt;
}

// The search ends at the next section's header, so a key near the top of a long file costs a few lines.
std::optional<size_t> FindKeyLine(const Lines& lines, size_t header, const std::string& key)
{
    for (size_t i = header + 1; i < lines.size() && !SectionNameOf(lines[i]); ++i)
        if (const auto keyLine = KeyLineOf(lines[i]); keyLine && SameName(keyLine->name, key))
            return i;
    return std::nullopt;
}

// New keys go after the section's last non-blank line, so the blank lines that set it apart from
// the next section stay after it.
size_t EndOfSectionText(const Lines& lines, size_t header)
{
    size_t end = header + 1;
    while (end < lines.size() && !SectionNameOf(lines[end]))
        ++end;
    while (end > header + 1 && WithoutBlanks(lines[end - 1]).empty())
        --end;
    return end;
}

} // namespace

IniText::IniText(std::string_view content)
    : m_lines(platform::SplitLines(ReadableText(content))), m_unreadable(content.substr(ReadableText(content).size()))
{
}

std::string IniText::Value(const std::string& section, const std::string& key, const std::string& defaultValue) const
{
    if (const auto header = FindSection(m_lines, OneLine(section)))
        if (const auto at = FindKeyLine(m_lines, *header, OneLine(key)))
            return Limited(WithoutQuotes(KeyLineOf(m_lines[*at])->value));
    return Limited(WithoutTrailingBlanks(OneLine(defaultValue)));
}

void IniText::SetValue(const std::string& section, const std::string& key, const std::string& value)
{
    const std::string sectionName = OneLine(section);
    const std::string keyName = OneLine(key);
    const std::string newValue = OneLine(value);
    if (const auto header = FindSection(m_lines, sectionName)) {
        if (const auto at = FindKeyLine(m_lines, *header, keyName)) {
            std::string& line = m_lines[*at];
            line = line.substr(0, line.find('=') + 1) + newValue;
        } else {
            const auto insertAt = static_cast<Lines::difference_type>(EndOfSectionText(m_lines, *header));
            m_lines.insert(m_lines.begin() + insertAt, keyName + "=" + newValue);
        }
    } else {
        m_lines.push_back("[" + sectionName + "]");
        m_lines.push_back(keyName + "=" + newValue);
    }
}

std::string IniText::Content() const
{
    return platform::JoinLines(m_lines) + m_unreadable;
}

std::string IniValueIn(std::string_view content, const std::string& section, const std::string& key,
                       const std::string& defaultValue)
{
    return IniText(content).Value(section, key, defaultValue);
}

std::string IniContentWithValue(std::string_view content, const std::string& section, const std::string& key,
                                const std::string& value)
{
    IniText text(content);
    text.SetValue(section, key, value);
    return text.Content();
}
