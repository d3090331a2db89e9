#include "FakeDialogs.h"
#include "ImmutableFlag.h"
#include "ProcessIo.h"
#include "SystemSeams.h"
#include "TempFolder.h"
#include "engine/ErrorLog.h"
#include "engine/FailureNotice.h"
#include "engine/LogTimeStamp.h"
#include "platform/Error.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;

namespace {

std::time_t UtcMoment(int year, int month, int day, int hour, int minute, int second)
{
    std::tm parts {};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    return ::timegm(&parts);
}

std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The tests run in the C locale, TZ=UTC: "%x" is month/day/two-digit year, "%X" is hours:minutes:seconds.
class ErrorLogTest : public testing::Test {
protected:
    void SetUp() override
    {
        SystemSeams::SetExeFolder(exe.path());
        SystemSeams::SetLogClock(UtcMoment(2026, 12, 7, 10, 15, 2));
    }
    void TearDown() override { SystemSeams::SetLogClock(std::nullopt); }

    TempFolder exe;
    const std::string stamp = "12/07/26 10:15:02";
};

} // namespace

TEST_F(ErrorLogTest, FirstAppendCreatesErrorLogHoldingExactlyItsLine)
{
    const UiText greek = UiText::BuiltIn();
    AppendErrorLog(FileFailureText(greek, "/data/a.txt", "/media/usb/Backup/data/a.txt"));

    EXPECT_EQ(NamesIn(exe.path()), std::vector<std::string>{"Error.log"});
    const std::string firstLine =
        stamp + " Πρόβλημα αντιγραφής αρχείου /data/a.txt στο /media/usb/Backup/data/a.txt\r\n";
    EXPECT_EQ(ReadFileBytes(exe / "Error.log"), firstLine);

    // A run abort for a missing destination carries no message: its line is the stamp and one blank.
    AppendErrorLog("");
    EXPECT_EQ(ReadFileBytes(exe / "Error.log"), firstLine + stamp + " \r\n");
    EXPECT_EQ(ErrorLogPath(), exe / "Error.log");
}

TEST_F(ErrorLogTest, LogInAnyLetterCaseIsTheLogAndKeepsItsName)
{
    WriteFileBytes(exe / "error.log", "old line\r\n");
    MakeFolders(exe / "ERROR.LOG.d");

    AppendErrorLog("new line");

    EXPECT_EQ(ErrorLogPath(), exe / "error.log");
    EXPECT_EQ(ReadFileBytes(exe / "error.log"), "old line\r\n" + stamp + " new line\r\n");
    EXPECT_EQ(NamesIn(exe.path()), (std::vector<std::string>{"ERROR.LOG.d", "error.log"}));

    TempFolder other;
    SystemSeams::SetExeFolder(other.path());
    MakeFolders(other / "ERROR.LOG");
    AppendErrorLog("a folder is no log");
    EXPECT_EQ(ReadFileBytes(other / "Error.log"), stamp + " a folder is no log\r\n");
}

TEST_F(ErrorLogTest, AppendRewritesForeignLineEndsAndDropsWhatFollowsANul)
{
    const std::string m((1 << 20) - 1, 'm'); // the log is read a megabyte at a time: line ends across two reads
    const std::pair<std::string, std::string> cases[] = {
        {m + "\r\nb\n", m + "\r\nb\r\n"},
        {m + "\r\nb\r\n", m + "\r\nb\r\n"},
        {m + "\rb\r\n", m + "\r\nb\r\n"},
        {m + "m\nb\r\n", m + "m\r\nb\r\n"},
        {m + "\r\nb\0x"s, m + "\r\nb\r\n"},
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\rb\r", "a\r\nb\r\n"},
        {"a\n\nb", "a\r\n\r\nb\r\n"},
        {"a\r\r\nb\r\n", "a\r\n\r\nb\r\n"},
        {"no end", "no end\r\n"},
        {"a\r\nb\0junk\r\nmore\r\n"s, "a\r\nb\r\n"},
        {"\0all gone\r\n"s, ""},
        {"", ""},
    };
    for (const auto& [before, after] : cases) {
        WriteFileBytes(exe / "Error.log", before);
        AppendErrorLog("t");
        EXPECT_TRUE(ReadFileBytes(exe / "Error.log") == after + stamp + " t\r\n")
            << testing::PrintToString(before.substr(before.size() - std::min<size_t>(before.size(), 24)));
    }

    // Nothing after a NUL is kept, so nothing after it is read, however much follows.
    WriteFileBytes(exe / "Error.log", "a\0"s + std::string(8 << 20, 'z'));
    const std::optional<ProcessIo> start = ProcessIoSoFar();
    if (!start)
        GTEST_SKIP() << NoProcessIo;
    AppendErrorLog("t");
    EXPECT_LT(ProcessIoSoFar().value().read - start->read, 4u << 20);
    EXPECT_EQ(ReadFileBytes(exe / "Error.log"), "a\r\n" + stamp + " t\r\n");
}

TEST_F(ErrorLogTest, MidnightStampHasTheDateOnly)
{
    SystemSeams::SetLogClock(UtcMoment(2026, 12, 7, 0, 0, 0));
    AppendErrorLog("at midnight");
    SystemSeams::SetLogClock(UtcMoment(2026, 12, 7, 0, 0, 1));
    AppendErrorLog("one second later");
    SystemSeams::SetLogClock(UtcMoment(2026, 12, 7, 23, 59, 59));
    AppendErrorLog("last second");

    EXPECT_EQ(ReadFileBytes(exe / "Error.log"),
              "12/07/26 at midnight\r\n12/07/26 00:00:01 one second later\r\n12/07/26 23:59:59 last second\r\n");
}

TEST_F(ErrorLogTest, LogThatCannotBeWrittenRaisesAClearError)
{
    {
        ImmutableFlag frozenFolder(exe.path());
        if (!frozenFolder.applied())
            GTEST_SKIP() << ImmutableFlagRefused;
        try {
            AppendErrorLog("line");
            ADD_FAILURE() << "a log that cannot be created must raise";
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot write the error log " + exe / "Error.log"
                                                     + ": Operation not permitted");
        }
    }

    WriteFileBytes(exe / "Error.log", "old\n");
    {
        ImmutableFlag frozenLog(exe / "Error.log");
        ASSERT_TRUE(frozenLog.applied());
        try {
            AppendErrorLog("line");
            ADD_FAILURE() << "a log that cannot be rewritten must raise";
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()).rfind("Cannot write the error log " + exe / "Error.log" + ": ", 0), 0u)
                << error.what();
        }
    }
    EXPECT_EQ(ReadFileBytes(exe / "Error.log"), "old\n");

    // A folder that takes no new file still lets the log it holds take its lines.
    {
        ImmutableFlag frozenFolder(exe.path());
        ASSERT_TRUE(frozenFolder.applied());
        AppendErrorLog("first");
        AppendErrorLog("second");
    }
    EXPECT_EQ(ReadFileBytes(exe / "Error.log"), "old\r\n" + stamp + " first\r\n" + stamp + " second\r\n");
}

TEST_F(ErrorLogTest, SpecialFileUnderTheLogsNameRaisesInsteadOfBlocking)
{
    ASSERT_EQ(::mkfifo((exe / "error.log").c_str(), 0644), 0);
    try {
        AppendErrorLog("line");
        ADD_FAILURE() << "a fifo is no log";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot read the error log " + exe / "error.log" + ": not a regular file");
    }
}

// The reference: what reading the whole log into lines and writing them all back with the new line gives.
TEST_F(ErrorLogTest, ThousandAppendsGiveExactlyWhatRewritesWould)
{
    const std::string path = exe / "Error.log";
    std::string expected = "before\nthe program\r";
    WriteFileBytes(path, expected);
    const std::time_t start = UtcMoment(2026, 12, 7, 23, 0, 0);
    const auto appendBoth = [&](const std::string& text, std::time_t moment, const std::string& written) {
        SystemSeams::SetLogClock(moment);
        AppendErrorLog(text);
        auto lines = platform::SplitLines(expected);
        lines.push_back(LogTimeStamp(moment) + " " + written);
        expected = platform::JoinLines(lines);
    };
    const auto changeBehindTheLogsBack = [&](const std::string& newContent) {
        WriteFileBytes(path + ".new", newContent);
        ASSERT_EQ(::rename((path + ".new").c_str(), path.c_str()), 0);
        expected = newContent;
    };

    for (int i = 0; i < 1000; ++i) {
        if (i == 300)
            WriteFileBytes(path, expected += "added by hand\n");
        if (i == 600)
            changeBehindTheLogsBack(expected + "dropped after\0 a NUL"s);
        if (i == 800)
            changeBehindTheLogsBack("");
        if (i == 450)
            appendBoth("a text\nwith a line feed", start + i * 7, "a text\\nwith a line feed");
        else
            appendBoth("file " + std::to_string(i), start + i * 7, "file " + std::to_string(i));
        ASSERT_EQ(ReadFileBytes(path), expected) << "after append " << i;
    }
}

TEST_F(ErrorLogTest, AppendsToALongLogCostNoMoreThanTheirOwnLine)
{
    // A log kept elsewhere through a link, its file missing: the first line begins it there.
    TempFolder elsewhere;
    ASSERT_EQ(::symlink((elsewhere / "Error.log").c_str(), (exe / "Error.log").c_str()), 0);
    AppendErrorLog("first");
    EXPECT_EQ(ReadFileBytes(elsewhere / "Error.log"), stamp + " first\r\n");

    const std::string line = stamp + " " + std::string(98, 'x') + "\r\n";
    std::string content;
    for (int i = 0; i < 200000; ++i)
        content += line;
    for (const bool linked : {true, false}) {
        const std::string path = linked ? elsewhere / "Error.log" : exe / "Error.log";
        if (!linked)
            std::filesystem::remove(exe / "Error.log");
        WriteFileBytes(path, content);

        const std::optional<ProcessIo> before = ProcessIoSoFar();
        if (!before)
            GTEST_SKIP() << NoProcessIo;
        for (int i = 0; i < 200; ++i)
            AppendErrorLog(std::string(98, 'x'));
        const ProcessIo after = ProcessIoSoFar().value();

        EXPECT_EQ(std::filesystem::file_size(path), content.size() + 200 * line.size()) << linked;
        // The first append reads the log to know that a line may simply go to its end; no append rewrites it.
        EXPECT_LT(after.read - before->read, content.size() + content.size() / 2) << "read once; " << linked;
        EXPECT_LT(after.written - before->written, content.size()) << "only the new lines are written; " << linked;
    }
}

TEST_F(ErrorLogTest, ClearAsksWithTheInformationBoxAndDeletesOnlyOnYes)
{
    const UiText greek = UiText::BuiltIn();
    WriteFileBytes(exe / "ERROR.LOG", "line\r\n");
    WriteFileBytes(exe / "Error.log", "another spelling\r\n");
    EXPECT_EQ(ErrorLogPath(), exe / "Error.log") << "the exact name, whatever the listing's order";

    FakeDialogs no(false);
    ClearErrorLog(greek, no);
    EXPECT_EQ(no.informationQuestions, std::vector<std::string>{greek[UiKey::MconfirmDel]});
    EXPECT_EQ(no.Count(), 1u) << "the information box is the only one";
    EXPECT_EQ(ReadFileBytes(exe / "ERROR.LOG"), "line\r\n");

    FakeDialogs yes(true);
    ClearErrorLog(greek, yes);
    EXPECT_EQ(yes.informationQuestions.size(), 1u);
    EXPECT_TRUE(NamesIn(exe.path()).empty());

    ClearErrorLog(greek, yes);
    EXPECT_EQ(yes.informationQuestions.size(), 2u);
    EXPECT_EQ(yes.Count(), 2u);

    // A log that cannot go says so rather than seem cleared.
    WriteFileBytes(exe / "Error.log", "kept\r\n");
    {
        ImmutableFlag frozenFolder(exe.path());
        if (frozenFolder.applied()) {
            try {
                ClearErrorLog(greek, yes);
                ADD_FAILURE() << "a log left in place must raise";
            } catch (const Error& error) {
                EXPECT_EQ(std::string(error.what()),
                          "Cannot delete the error log " + exe / "Error.log" + ": Operation not permitted");
            }
        }
    }
    ASSERT_TRUE(std::filesystem::remove(exe / "Error.log"));

    // A log kept elsewhere through a link is cleared there, and stays kept there.
    const TempFolder elsewhere;
    WriteFileBytes(elsewhere / "Error.log", "old line\r\n");
    std::filesystem::create_symlink(elsewhere / "Error.log", exe / "Error.log");
    ClearErrorLog(greek, yes);
    EXPECT_TRUE(std::filesystem::is_symlink(exe / "Error.log")) << "the link was removed";
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "Error.log")) << "the old lines stayed";

    // Spellings that lead to no file (a loop, a path through a file) go themselves, and keep no other from going.
    WriteFileBytes(elsewhere / "Error.log", "old line\r\n");
    std::filesystem::create_symlink("error.log", exe / "error.log");
    std::filesystem::create_symlink(elsewhere / "Error.log/x", exe / "eRROR.LOG");
    ClearErrorLog(greek, yes);
    EXPECT_EQ(NamesIn(exe.path()), std::vector<std::string>{"Error.log"});
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "Error.log")) << "the old lines stayed";

    AppendErrorLog("after clearing");
    EXPECT_EQ(ReadFileBytes(elsewhere / "Error.log"), stamp + " after clearing\r\n");
}

TEST_F(ErrorLogTest, ALineBreakInTheTextIsWrittenAsAnEscapeSoTheEntryStaysOneLine)
{
    AppendErrorLog("/data/one\ntwo\r.txt");
    EXPECT_EQ(ReadFileBytes(exe / "Error.log"), stamp + " /data/one\\ntwo\\r.txt\r\n");
}

// The key that turns notices of failed runs off is only ever read: a start without it leaves the
// settings file exactly as it has always been written.
TEST_F(ErrorLogTest, NoticesOfFailedRunsAreOffOnlyByTheirOwnKey)
{
    const std::string settings = exe / "Dupliqa.ini";
    EXPECT_TRUE(FailureNoticesWanted());
    EXPECT_EQ(NamesIn(exe.path()), std::vector<std::string>{}) << "reading the key wrote a file";
    WriteFileBytes(settings, "[Language]\r\nLanguage=English\r\nFailures=0\r\n");
    EXPECT_TRUE(FailureNoticesWanted()) << "the key belongs to [Notifications]";
    WriteFileBytes(settings, "[Language]\r\nLanguage=English\r\n[Notifications]\r\nFailures=0\r\n");
    EXPECT_FALSE(FailureNoticesWanted());
}
