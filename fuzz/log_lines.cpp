// The reader of Error.log (and of every text file of the program) on arbitrary bytes. Invariants:
// - no line holds CR, LF or NUL;
// - the lines are those of an independent byte-by-byte splitter (CR LF, CR, LF end a line; NUL ends the text);
// - the lines written back with CR LF read again as the same lines, and that text is a fixed point;
// - text that already is in that form (no NUL, every line end a CR LF, the last line ended) comes back
//   byte for byte, so rewriting a clean log loses nothing.
#include "FuzzCheck.h"
#include "IniReference.h"
#include "platform/TextFile.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = platform::SplitLines(text);
    for (const std::string& line : lines)
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos, fuzzcheck::Shown(line));
    FUZZ_CHECK(lines == iniref::Lines(text), fuzzcheck::Shown(text));

    const std::string rewritten = platform::JoinLines(lines);
    FUZZ_CHECK(platform::SplitLines(rewritten) == lines, fuzzcheck::Shown(text));
    FUZZ_CHECK(platform::JoinLines(platform::SplitLines(rewritten)) == rewritten, fuzzcheck::Shown(text));

    bool clean = text.find('\0') == std::string::npos && (text.empty() || text.ends_with("\r\n"));
    for (size_t i = 0; clean && i < text.size(); ++i) {
        if (text[i] == '\r')
            clean = i + 1 < text.size() && text[i + 1] == '\n';
        else if (text[i] == '\n')
            clean = i > 0 && text[i - 1] == '\r';
    }
    if (clean)
        FUZZ_CHECK(rewritten == text, fuzzcheck::Shown(text));
    return 0;
}
