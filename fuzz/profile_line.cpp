// Items.txt as the profile loader reads it, on arbitrary bytes: SplitLines gives the lines, GetField the fields.
// Invariants:
// - a field never holds ";"; GetField gives nothing for n below 1 or beyond the last field;
// - the fields 1 to (number of ";" + 1), joined with ";", give the line back exactly; so fields 1 to 4
//   give the whole line back when it has at most three ";", and otherwise the line up to its fourth ";";
// - GetField agrees with a plain split of the line at every ";";
// - SameProfileName is upper-casing of ASCII a to z only: reflexive, symmetric, and blind to nothing else;
// - lines written back (CR LF after each) read again as the same lines.
#include "FuzzCheck.h"
#include "platform/TextFile.h"
#include "profiles/Profiles.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

std::vector<std::string> SplitAtSemicolons(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ';')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return text;
}

void CheckLine(const std::string& line, int16_t probe)
{
    const std::string report = "line " + fuzzcheck::Shown(line);
    const std::vector<std::string> fields = SplitAtSemicolons(line);
    const auto count = static_cast<int>(fields.size());

    std::string joined;
    for (int n = 1; n <= count && n <= 200; ++n) {
        const std::string field = GetField(line, static_cast<int16_t>(n));
        FUZZ_CHECK(field.find(';') == std::string::npos, report);
        FUZZ_CHECK(field == fields[static_cast<size_t>(n - 1)], report + " field " + std::to_string(n));
        joined += (n > 1 ? ";" : "") + field;
    }
    if (count <= 200)
        FUZZ_CHECK(joined == line, report + " joined " + fuzzcheck::Shown(joined));

    std::string firstFour = GetField(line, 1);
    for (int16_t n = 2; n <= 4; ++n)
        firstFour += ";" + GetField(line, n);
    if (count <= 4)
        FUZZ_CHECK(firstFour.substr(0, line.size()) == line, report);
    else
        FUZZ_CHECK(firstFour == line.substr(0, firstFour.size()) && line[firstFour.size()] == ';', report);

    const int16_t beyond = static_cast<int16_t>(std::min(count + 1, int(INT16_MAX)));
    for (int16_t n : { int16_t(0), int16_t(-1), int16_t(INT16_MIN), int16_t(INT16_MAX), beyond, probe }) {
        const std::string field = GetField(line, n);
        if (n < 1 || n > count)
            FUZZ_CHECK(field.empty(), report + " n " + std::to_string(n));
        else
            FUZZ_CHECK(field == fields[static_cast<size_t>(n - 1)], report + " n " + std::to_string(n));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto probe = input.ConsumeIntegral<int16_t>();
    const std::string other = input.ConsumeRandomLengthString(32);
    const std::string content = input.ConsumeRemainingBytesAsString();

    const std::vector<std::string> lines = platform::SplitLines(content);
    for (const std::string& line : lines) {
        CheckLine(line, probe);
        const std::string name = GetField(line, 1);
        FUZZ_CHECK(SameProfileName(name, name), fuzzcheck::Shown(name));
        FUZZ_CHECK(SameProfileName(name, other) == SameProfileName(other, name), fuzzcheck::Shown(name));
        FUZZ_CHECK(SameProfileName(name, other) == (UpperAscii(name) == UpperAscii(other)),
            fuzzcheck::Shown(name) + " vs " + fuzzcheck::Shown(other));
        FUZZ_CHECK(SameProfileName(name, UpperAscii(name)), fuzzcheck::Shown(name));
    }
    FUZZ_CHECK(platform::SplitLines(platform::JoinLines(lines)) == lines, fuzzcheck::Shown(content));
    return 0;
}
