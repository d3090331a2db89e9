#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The INI format on file content held in memory, so that the rules can be checked (and fuzzed)
// without touching the disk. Content is bytes: nothing here transcodes.
//
// The format as read:
// - Lines end at CR, LF or CR LF; a NUL ends the readable text.
// - A line whose first non-blank byte is "[" and that holds a "]" opens a section named by the bytes
//   between that "[" and the last "]". Lines before the first section belong to none.
// - Any other line holding "=" inside a section is a key line: the key is what precedes the first
//   "=", the value what follows it, both without blanks (space, tab) at either end. Lines without
//   "=" (comments, junk) are kept but never match a key.
// - Section and key names match ignoring ASCII case. Only the first section of a name counts, and
//   within it only the first line of a key: repeats are left as they are, neither read nor changed.
// - Names given by callers are plain: a key holds no "=" and does not start with "[", and neither
//   name has blanks at its ends. Like values, names end at their first CR, LF or NUL.

// The most bytes of a value that a read returns.
constexpr std::size_t MaxIniValueLength = 2047;

// The value of key in section: without surrounding blanks, and without the quotes when it is
// enclosed in a matching pair of "" or ''. A present key with an empty value gives "". A missing
// section or key gives defaultValue without its trailing blanks. Either is cut to MaxIniValueLength.
std::string IniValueIn(std::string_view content, const std::string& section, const std::string& key,
                       const std::string& defaultValue);

// The content after writing value under key in section. An existing key keeps its line, and the
// line keeps everything up to its "=" (the name as the file spells it); only the value changes.
// A missing key is added as "key=value" after the last non-blank line of the section; a missing
// section is added at the end of the readable text. Every line is ended by CR LF; bytes from a
// NUL on are kept as they were. A value is cut at its first CR, LF or NUL, so that no value can
// add lines of its own.
std::string IniContentWithValue(std::string_view content, const std::string& section, const std::string& key,
                                const std::string& value);

// Content split into lines once, for many reads and writes by the rules above and one join at the
// end: a file with a million blank lines then costs one pass, not one per key.
class IniText {
public:
    explicit IniText(std::string_view content);

    std::string Value(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    void SetValue(const std::string& section, const std::string& key, const std::string& value);
    std::string Content() const;

private:
    std::vector<std::string> m_lines;
    std::string m_unreadable; // from the first NUL on
};
