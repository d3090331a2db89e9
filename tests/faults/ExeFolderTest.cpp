// The folder of the program, where the log lies, turns read-only in the middle of a run; the log is very long.
#include "FaultHarness.h"

#include "ProcessIo.h"
#include "engine/ErrorLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

constexpr int SourceFiles = 6;

// Six sources with a previous copy each, then all six changed, so that a run has to copy every one.
class ExeFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        MakeFolders(dir / "src");
        for (int i = 0; i < SourceFiles; ++i)
            WriteWithTime(Source(i), "old " + std::to_string(i), OldTime);
        MakeFolders(dir / "firstexe");
        RunHarness first(dir / "firstexe");
        first.Run(dir / "src", dir / "backup");
        ASSERT_EQ(first.lastRunFailed, 0);
        for (int i = 0; i < SourceFiles; ++i) {
            WriteWithTime(Source(i), "new " + std::to_string(i), SourceTime);
            inodes[i] = InodeOf(Copy(i));
        }
        MakeFolders(dir / "exe");
    }

    std::string Source(int i) const { return dir / ("src/f" + std::to_string(i)); }
    std::string Copy(int i) const { return copies + "f" + std::to_string(i); }
    std::string CopyOf(const std::string& source) const { return dir / "backup" + source; }

    TempFolder dir;
    const std::string copies = dir / ("backup" + dir / "src/");
    std::map<int, ino_t> inodes;
};

} // namespace

TEST_F(ExeFolderTest, FrozenInTheMiddleOfARunWithNoLogYetEndsTheRunWithOneErrorAndLosesNothing)
{
    RunHarness run(dir / "exe");
    std::optional<Immutable> frozenExe;
    std::optional<Immutable> frozenCopies;
    std::map<int, int> pumpsAt;
    run.view.onPump = [&] {
        // The second pump of the second file is the one after its copy.
        if (run.view.gaugePosition == 2 && ++pumpsAt[2] == 2) {
            frozenExe.emplace(dir / "exe");
            frozenCopies.emplace(copies); // and the files after this one can no longer be copied
        }
    };
    run.Run(dir / "src", dir / "backup");
    if (!frozenExe || !frozenExe->applied() || !frozenCopies->applied())
        GTEST_SKIP() << ImmutableRefused;
    frozenExe->Clear();
    frozenCopies->Clear();

    EXPECT_EQ(run.lastRunFailed, 1);
    ASSERT_EQ(run.view.reportedErrors.size(), 1u) << "the log that cannot be made is reported, once";
    EXPECT_TRUE(run.view.reportedErrors[0].starts_with("Cannot write the error log " + dir / "exe/Error.log"))
        << run.view.reportedErrors[0];
    EXPECT_EQ(run.view.methodLabels.size(), 2u + 3u) << "two files copied, the third failed, and the run ended";
    EXPECT_FALSE(Exists(dir / "exe/Error.log"));
    for (int n = 1; n <= SourceFiles; ++n) {
        const std::string source(run.files[n]);
        const int i = source.back() - '0';
        if (n <= 2) {
            EXPECT_EQ(ReadFileBytes(Copy(i)), "new " + std::to_string(i)) << "copied before the folder froze";
        } else {
            EXPECT_EQ(ReadFileBytes(Copy(i)), "old " + std::to_string(i)) << "the previous copy stays";
            EXPECT_EQ(InodeOf(Copy(i)), inodes[i]);
        }
    }
    EXPECT_TRUE(PartFilesBelow(dir / "backup").empty());
    EXPECT_TRUE(run.Idle());

    // Once the folders thaw, the next run completes the backup.
    RunHarness next(dir / "exe");
    next.Run(dir / "src", dir / "backup");
    EXPECT_EQ(next.lastRunFailed, 0);
    for (int i = 0; i < SourceFiles; ++i)
        EXPECT_EQ(ReadFileBytes(Copy(i)), "new " + std::to_string(i));
}

TEST_F(ExeFolderTest, FrozenInTheMiddleOfARunStillTakesLinesInTheLogThatIsThere)
{
    const std::string earlier = "07/12/26 10:15:02 an earlier line\r\n";
    WriteFileBytes(dir / "exe/Error.log", earlier);
    RunHarness run(dir / "exe");
    std::optional<Immutable> frozenExe;
    std::optional<Immutable> frozenCopies;
    std::map<int, int> pumpsAt;
    run.view.onPump = [&] {
        if (run.view.gaugePosition == 2 && ++pumpsAt[2] == 2) {
            frozenExe.emplace(dir / "exe");
            frozenCopies.emplace(copies);
        }
    };
    run.Run(dir / "src", dir / "backup");
    if (!frozenExe || !frozenExe->applied() || !frozenCopies->applied())
        GTEST_SKIP() << ImmutableRefused;
    frozenExe->Clear();
    frozenCopies->Clear();

    EXPECT_EQ(run.lastRunFailed, 1);
    EXPECT_TRUE(run.view.reportedErrors.empty());
    const auto lines = run.LogLines();
    ASSERT_EQ(lines.size(), 1u + (SourceFiles - 2));
    EXPECT_EQ(lines[0] + "\r\n", earlier);
    for (int n = 3; n <= SourceFiles; ++n)
        EXPECT_TRUE(lines[static_cast<size_t>(n - 2)].ends_with(
            " " + FileFailureText(run.text, std::string(run.files[n]), CopyOf(std::string(run.files[n])))))
            << lines[static_cast<size_t>(n - 2)];
    EXPECT_TRUE(PartFilesBelow(dir / "backup").empty());
    EXPECT_TRUE(run.Idle());
}

TEST(LongErrorLog, AHundredMebibyteLogIsReadOnceTakesItsLinesInPlaceAndKeepsEveryLine)
{
    TempFolder dir;
    constexpr int Failures = 50;
    MakeFolders(dir / "src");
    for (int i = 0; i < Failures; ++i)
        WriteWithTime(dir / ("src/f" + std::to_string(i)), "old", OldTime);
    RunHarness first;
    first.Run(dir / "src", dir / "backup");
    ASSERT_EQ(first.lastRunFailed, 0);
    for (int i = 0; i < Failures; ++i)
        WriteWithTime(dir / ("src/f" + std::to_string(i)), "new", SourceTime);

    MakeFolders(dir / "exe");
    const std::string line = "07/12/26 10:15:02 " + std::string(98, 'x') + "\r\n";
    std::string thousandLines;
    for (int i = 0; i < 1000; ++i)
        thousandLines += line;
    std::string log;
    log.reserve((size_t { 100 } << 20) + thousandLines.size());
    while (log.size() < (size_t { 100 } << 20))
        log += thousandLines;
    WriteFileBytes(dir / "exe/Error.log", log);
    const ino_t logInode = InodeOf(dir / "exe/Error.log");

    Immutable frozenCopies(dir / ("backup" + dir / "src"));
    if (!frozenCopies.applied())
        GTEST_SKIP() << ImmutableRefused;
    RunHarness run(dir / "exe");
    const std::optional<ProcessIo> before = ProcessIoSoFar();
    if (!before)
        GTEST_SKIP() << NoProcessIo;
    run.Run(dir / "src", dir / "backup");
    const ProcessIo io = ProcessIoSoFar().value();
    frozenCopies.Clear();

    EXPECT_EQ(run.lastRunFailed, 1);
    EXPECT_TRUE(run.view.reportedErrors.empty());
    EXPECT_EQ(InodeOf(dir / "exe/Error.log"), logInode) << "the lines went to the end of the log, in place";
    const std::string after = ContentOf(dir / "exe/Error.log");
    ASSERT_GE(after.size(), log.size());
    EXPECT_TRUE(after.compare(0, log.size(), log) == 0) << "every earlier line is still there";
    EXPECT_EQ(std::count(after.begin() + static_cast<std::ptrdiff_t>(log.size()), after.end(), '\n'), Failures);
    // In place, the log is read once for all of its new lines and none of it is written again.
    EXPECT_LT(io.read - before->read, log.size() + log.size() / 2) << "the log is read once";
    EXPECT_LT(io.written - before->written, log.size()) << "only the new lines are written";
}
