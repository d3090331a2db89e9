// AppendErrorLog on a log of arbitrary bytes. It may add the line in place instead of rewriting the whole log;
// either way the log afterwards must be exactly what reading it into lines, adding the stamped line and
// writing every line back with CR LF gives. Every input starts from a fresh log in a private exe folder.
#include "FuzzCheck.h"
#include "engine/ErrorLog.h"
#include "engine/LogTimeStamp.h"
#include "platform/TextFile.h"
#include "tests/support/SystemSeams.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string g_folder;
std::string g_otherFolder;
constexpr std::time_t Moment = 1700000000;

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0)
        std::abort();
}

// The log remembers a log it found clean by the file's identity (inode, size, times); a new file written
// within one tick of the file system's clock can carry the same identity. An append to a log in another
// folder makes it forget.
void ForgetTheCleanLog()
{
    SystemSeams::SetExeFolder(g_otherFolder);
    std::filesystem::remove(g_otherFolder + "Error.log");
    AppendErrorLog("forget\n");
    SystemSeams::SetExeFolder(g_folder);
}

// Each entry stays one line: line breaks and NULs in its text are written as visible escapes.
std::string AsOneLine(const std::string& text)
{
    std::string line;
    for (const char c : text) {
        if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else if (c == '\0')
            line += "\\0";
        else
            line += c;
    }
    return line;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "dupliqa-fuzz-log-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    g_folder = std::string(pattern) + "/log/";
    g_otherFolder = std::string(pattern) + "/other/";
    std::filesystem::create_directories(g_folder);
    std::filesystem::create_directories(g_otherFolder);
    SystemSeams::SetLogClock(Moment);
    static const std::string top = pattern;
    std::atexit([] { std::filesystem::remove_all(top); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool lowerCaseName = input.ConsumeBool();
    const int appends = input.ConsumeIntegralInRange<int>(1, 3);
    std::vector<std::string> texts;
    for (int i = 0; i < appends; ++i)
        texts.push_back(input.ConsumeRandomLengthString(80));
    const std::string log = input.ConsumeRemainingBytesAsString();

    std::filesystem::remove(g_folder + "Error.log");
    std::filesystem::remove(g_folder + "error.log");
    ForgetTheCleanLog();
    const std::string path = g_folder + (lowerCaseName ? "error.log" : "Error.log");
    WriteBytes(path, log);

    std::string expected = log;
    for (const std::string& text : texts) {
        std::vector<std::string> lines = platform::SplitLines(expected);
        lines.push_back(LogTimeStamp(Moment) + " " + AsOneLine(text));
        expected = platform::JoinLines(lines);
        AppendErrorLog(text);
        const std::string got = platform::ReadWholeFile(path);
        FUZZ_CHECK(got == expected,
            "log " + fuzzcheck::Shown(log) + " text " + fuzzcheck::Shown(text) + "\n  got " + fuzzcheck::Shown(got, 400)
                + "\n  expected " + fuzzcheck::Shown(expected, 400));
    }
    FUZZ_CHECK(ErrorLogPath() == path, ErrorLogPath());
    return 0;
}
