// The INI writer on arbitrary file content. Invariants:
// - the written key reads back as the value written, after the documented trimming (cut at a line end,
//   blanks at both ends, one pair of matching quotes, 2047 bytes);
// - every other key reads as it did before;
// - every line but the written key's stays byte-identical and in its place; at most one key line, or one
//   section line and one key line at the end, is added; every line ends in CR LF; the bytes from a NUL on
//   are kept as they were;
// - writing the same value again changes nothing;
// - the result is what an independent second reading of the documented rules makes of it.
#include "FuzzCheck.h"
#include "IniNames.h"
#include "IniReference.h"
#include "localisation/IniText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

namespace {

// Callers' names are plain: no "=" in a key, no "[" at its start, no blanks at the ends of either.
std::string PlainName(std::string name, bool isKey)
{
    name = std::string(iniref::UpToLineEnd(name));
    if (isKey)
        std::erase(name, '=');
    for (;;) {
        const size_t before = name.size();
        name = std::string(iniref::Trimmed(name));
        if (isKey && !name.empty() && name.front() == '[')
            name.erase(0, 1);
        if (name.size() == before)
            return name;
    }
}

std::string Report(const std::string& content, const std::string& section, const std::string& key,
    const std::string& value, const std::string& result)
{
    return "section " + fuzzcheck::Shown(section) + " key " + fuzzcheck::Shown(key) + " value "
        + fuzzcheck::Shown(value) + "\n  content " + fuzzcheck::Shown(content, 400) + "\n  result  "
        + fuzzcheck::Shown(result, 400);
}

// Whether before can be made from after by taking out the lines of after at the given positions.
bool SameBut(
    const std::vector<std::string>& before, const std::vector<std::string>& after, const std::vector<size_t>& added)
{
    std::vector<std::string> kept;
    for (size_t i = 0; i < after.size(); ++i)
        if (std::find(added.begin(), added.end(), i) == added.end())
            kept.push_back(after[i]);
    return kept == before;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IniInput input(data, size);
    const std::string& content = input.content;
    const std::vector<std::string> names = iniref::NamesIn(content);
    const std::string section = PlainName(input.Name(names), false);
    const std::string key = PlainName(input.Name(names), true);
    const std::string value = input.Piece(3000);

    const std::string result = IniContentWithValue(content, section, key, value);
    const std::string report = Report(content, section, key, value, result);

    // The written key reads back as written.
    const std::string_view written = iniref::UpToLineEnd(value);
    const std::string readBack = IniValueIn(result, section, key, "\x01 no such key");
    FUZZ_CHECK(readBack == iniref::Cut(iniref::Unquoted(iniref::Trimmed(written))),
        report + "\n  read back " + fuzzcheck::Shown(readBack));

    // Every other key reads as before.
    for (int probe = 0; probe < 2; ++probe) {
        const std::string otherSection = input.Name(names);
        const std::string otherKey = input.Name(names);
        if (iniref::SameIgnoringCase(iniref::UpToLineEnd(otherSection), section)
            && iniref::SameIgnoringCase(iniref::UpToLineEnd(otherKey), key))
            continue;
        FUZZ_CHECK(
            IniValueIn(result, otherSection, otherKey, "dflt") == IniValueIn(content, otherSection, otherKey, "dflt"),
            report + "\n  other section " + fuzzcheck::Shown(otherSection) + " key " + fuzzcheck::Shown(otherKey));
    }

    // Lines: all kept in place but the written one; CR LF after each; the bytes from a NUL on unchanged.
    const std::string_view readableBefore = iniref::Readable(content);
    const std::string_view readableAfter = iniref::Readable(result);
    FUZZ_CHECK(std::string_view(result).substr(readableAfter.size())
            == std::string_view(content).substr(readableBefore.size()),
        report);
    const std::vector<std::string> before = iniref::Lines(content);
    const std::vector<std::string> after = iniref::Lines(result);
    FUZZ_CHECK(iniref::Joined(after) == readableAfter, report);
    const std::string newLine = key + "=" + std::string(written);
    if (after.size() == before.size()) {
        size_t changed = 0;
        for (size_t i = 0; i < after.size(); ++i) {
            if (after[i] == before[i])
                continue;
            ++changed;
            const size_t equals = before[i].find('=');
            FUZZ_CHECK(
                equals != std::string::npos && after[i] == before[i].substr(0, equals + 1) + std::string(written),
                report);
        }
        FUZZ_CHECK(changed <= 1, report);
    } else if (after.size() == before.size() + 1) {
        const auto at = std::find(after.begin(), after.end(), newLine);
        FUZZ_CHECK(at != after.end(), report);
        bool oneAdded = false;
        for (size_t i = 0; i < after.size() && !oneAdded; ++i)
            oneAdded = after[i] == newLine && SameBut(before, after, { i });
        FUZZ_CHECK(oneAdded, report);
    } else {
        FUZZ_CHECK(after.size() == before.size() + 2, report);
        FUZZ_CHECK(SameBut(before, after, { after.size() - 2, after.size() - 1 }), report);
        FUZZ_CHECK(after[after.size() - 2] == "[" + section + "]" && after.back() == newLine, report);
    }

    // Writing it again changes nothing, and the independent reading agrees byte for byte.
    FUZZ_CHECK(IniContentWithValue(result, section, key, value) == result, report);
    FUZZ_CHECK(result == iniref::Write(content, section, key, value),
        report + "\n  expected " + fuzzcheck::Shown(iniref::Write(content, section, key, value), 400));
    return 0;
}
