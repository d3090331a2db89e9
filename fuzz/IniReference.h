#pragma once

// A plain second reading of the INI rules documented in localisation/IniText.h, written without looking at how
// IniText.cpp does it, so that the fuzz targets can compare the two byte for byte.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace iniref {

constexpr size_t MostValueBytes = 2047;

inline bool Blank(char c) { return c == ' ' || c == '\t'; }

inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

inline std::string_view Trimmed(std::string_view text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && Blank(text[first]))
        ++first;
    while (last > first && Blank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// Text up to its first CR, LF or NUL: what a caller's name or value amounts to.
inline std::string_view UpToLineEnd(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n' && text[i] != '\0')
        ++i;
    return text.substr(0, i);
}

inline std::string_view Readable(std::string_view content)
{
    size_t i = 0;
    while (i < content.size() && content[i] != '\0')
        ++i;
    return content.substr(0, i);
}

// Lines of the readable text, one byte at a time: CR LF, CR and LF each end a line; a final end adds no line.
inline std::vector<std::string> Lines(std::string_view content)
{
    const std::string_view text = Readable(content);
    std::vector<std::string> lines;
    std::string current;
    bool open = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            open = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current += c;
            open = true;
        }
    }
    if (open)
        lines.push_back(current);
    return lines;
}

inline std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

// The section name a line opens, if it opens one.
inline std::optional<std::string_view> SectionOf(std::string_view line)
{
    const std::string_view t = Trimmed(line);
    if (t.empty() || t[0] != '[')
        return std::nullopt;
    size_t lastClose = std::string_view::npos;
    for (size_t i = 1; i < t.size(); ++i)
        if (t[i] == ']')
            lastClose = i;
    if (lastClose == std::string_view::npos)
        return std::nullopt;
    return t.substr(1, lastClose - 1);
}

// Where a key lives: the section's header line, the line after its last line, and the key's line if present.
struct Place {
    std::optional<size_t> header;
    size_t end = 0;
    std::optional<size_t> keyLine;
};

inline Place Find(const std::vector<std::string>& lines, std::string_view section, std::string_view key)
{
    Place place;
    const std::string_view wantedSection = UpToLineEnd(section);
    const std::string_view wantedKey = UpToLineEnd(key);
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionOf(lines[i]);
        if (place.header) {
            if (name) {
                place.end = i;
                return place;
            }
            const size_t equals = lines[i].find('=');
            if (!place.keyLine && equals != std::string::npos
                && SameIgnoringCase(Trimmed(std::string_view(lines[i]).substr(0, equals)), wantedKey))
                place.keyLine = i;
        } else if (name && SameIgnoringCase(*name, wantedSection)) {
            place.header = i;
        }
    }
    place.end = lines.size();
    return place;
}

inline std::string_view Unquoted(std::string_view value)
{
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value[value.size() - 1] == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

inline std::string Cut(std::string_view value) { return std::string(value.substr(0, MostValueBytes)); }

// What a read of a value found in a line gives.
inline std::string ValueOfLine(std::string_view line)
{
    return Cut(Unquoted(Trimmed(line.substr(line.find('=') + 1))));
}

inline std::string Read(
    std::string_view content, std::string_view section, std::string_view key, std::string_view defaultValue)
{
    const std::vector<std::string> lines = Lines(content);
    const Place place = Find(lines, section, key);
    if (place.keyLine)
        return ValueOfLine(lines[*place.keyLine]);
    std::string_view fallback = UpToLineEnd(defaultValue);
    while (!fallback.empty() && Blank(fallback.back()))
        fallback.remove_suffix(1);
    return Cut(fallback);
}

inline std::string Write(
    std::string_view content, std::string_view section, std::string_view key, std::string_view value)
{
    std::vector<std::string> lines = Lines(content);
    const std::string newValue(UpToLineEnd(value));
    const Place place = Find(lines, section, key);
    if (place.keyLine) {
        std::string& line = lines[*place.keyLine];
        line = line.substr(0, line.find('=') + 1) + newValue;
    } else if (place.header) {
        size_t after = *place.header + 1;
        for (size_t i = *place.header + 1; i < place.end; ++i)
            if (!Trimmed(lines[i]).empty())
                after = i + 1;
        lines.insert(
            lines.begin() + static_cast<std::ptrdiff_t>(after), std::string(UpToLineEnd(key)) + "=" + newValue);
    } else {
        lines.push_back("[" + std::string(UpToLineEnd(section)) + "]");
        lines.push_back(std::string(UpToLineEnd(key)) + "=" + newValue);
    }
    return Joined(lines) + std::string(content.substr(Readable(content).size()));
}

// Every section name and key name in content, for fuzz targets that want to hit names that exist.
inline std::vector<std::string> NamesIn(std::string_view content)
{
    std::vector<std::string> names;
    for (const std::string& line : Lines(content)) {
        if (const auto section = SectionOf(line))
            names.emplace_back(*section);
        else if (const size_t equals = line.find('='); equals != std::string::npos)
            names.emplace_back(Trimmed(std::string_view(line).substr(0, equals)));
        if (names.size() >= 64)
            break;
    }
    return names;
}

} // namespace iniref
