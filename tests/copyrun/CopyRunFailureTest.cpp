#include "CopyRunHarness.h"
#include "SystemSeams.h"
#include "TempFolder.h"
#include "engine/CopyRun.h"
#include "engine/DestinationFolders.h"
#include "engine/ErrorLog.h"
#include "engine/TableFullText.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <regex>
#include <unistd.h>

namespace {

// A run abort line with an empty message: the time stamp (a date, perhaps a blank and a time)
// and one blank after it, nothing else.
bool IsEmptyAbortLine(const std::string& line)
{
    return std::regex_match(line, std::regex("[^ ]+( [^ ]+)? "));
}

} // namespace

TEST(RunBackupFailures, AFileThatNoMethodCanCopyIsLoggedAndTheRunGoesOn)
{
    TempFolder dir;
    MakeFolders(dir / "src");
    WriteWithTime(dir / "src/a.txt", "a1", SourceTime);
    WriteWithTime(dir / "src/b.txt", "b1", SourceTime);
    RunHarness first;
    RunBackup(first.ctx, dir / "src", dir / "backup");
    ASSERT_EQ(first.lastRunFailed, 0);

    const std::string copies = dir / ("backup" + dir / "src/");
    WriteWithTime(dir / "src/a.txt", "a2", SourceTime + 60);
    WriteWithTime(dir / "src/b.txt", "b2", SourceTime + 60);
    ImmutableFlag frozen(copies);
    if (!frozen.applied())
        GTEST_SKIP() << "the file system refuses the immutable flag here";
    RunHarness run;
    RunBackup(run.ctx, dir / "src", dir / "backup");

    EXPECT_EQ(run.lastRunFailed, 1);
    const auto lines = run.LogLines();
    ASSERT_EQ(lines.size(), 2u);
    for (const char* name : {"a.txt", "b.txt"}) {
        const std::string line = FileFailureText(run.text, dir / "src/" + name, copies + name);
        EXPECT_TRUE(lines[0].ends_with(line) || lines[1].ends_with(line)) << name;
    }
    EXPECT_EQ(ReadFileBytes(copies + "a.txt"), "a1");
    EXPECT_EQ(ReadFileBytes(copies + "b.txt"), "b1");
    EXPECT_TRUE(PartFilesIn(copies).empty());
    EXPECT_EQ(run.view.methodLabels.size(), 6u) << "three methods for each of two files";
    EXPECT_TRUE(run.view.reportedErrors.empty());
    EXPECT_EQ(run.ctx.Failures.filesNotCopied, 2);
    EXPECT_FALSE(run.ctx.Failures.destinationMissing || run.ctx.Failures.aborted);
    EXPECT_TRUE(run.Idle());
}

TEST(RunBackupFailures, AMissingDriveAbortsWithOneBlankLineAndCreatesNothing)
{
    TempFolder dir;
    MakeFolders(dir / "src");
    WriteFileBytes(dir / "src/a.txt", "a");
    WriteFileBytes(dir / "src/b.txt", "b");
    RunHarness run;
    RunBackup(run.ctx, dir / "src", dir / "nodrive/Backup");

    EXPECT_EQ(run.lastRunFailed, 1);
    const auto lines = run.LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(IsEmptyAbortLine(lines[0])) << "[" << lines[0] << "]";
    EXPECT_FALSE(Exists(dir / "nodrive"));
    EXPECT_TRUE(run.view.methodLabels.empty());
    EXPECT_EQ(run.view.gaugePositions, (std::vector<int>{0, 1}));
    EXPECT_TRUE(run.view.reportedErrors.empty());
    EXPECT_TRUE(run.ctx.Failures.destinationMissing);
    EXPECT_FALSE(run.ctx.Failures.aborted);
    EXPECT_TRUE(run.Idle());

    // A root with no folder part, empty or a name alone, is on no drive: the folder the program was started
    // in is no place for a backup.
    MakeFolders(dir / "started/Backup");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir / "started");
    for (const std::string root : {"", "Backup"}) {
        RunHarness relative;
        RunBackup(relative.ctx, dir / "src", root);
        EXPECT_TRUE(relative.ctx.Failures.destinationMissing) << root;
    }
    std::filesystem::current_path(before);
    EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(dir / "started"), {}), 1);
}

TEST(RunBackupFailures, AFullDiskKeepsThePreviousCopiesAndLogsEachFile)
{
    if (!RunningAsRoot())
        GTEST_SKIP() << "mounting a small disk needs root";
    TempFolder dir;
    SmallDisk disk(dir / "disk", "1m");
    if (!disk.mounted())
        GTEST_SKIP() << "this machine refuses to mount a tmpfs";
    MakeFolders(dir / "src");
    WriteWithTime(dir / "src/a.bin", PatternBytes(100000, 1), SourceTime);
    WriteWithTime(dir / "src/b.bin", PatternBytes(100000, 2), SourceTime);
    RunHarness first;
    RunBackup(first.ctx, dir / "src", dir / "disk/Backup");
    ASSERT_EQ(first.lastRunFailed, 0);

    const std::string copies = dir / ("disk/Backup" + dir / "src/");
    WriteWithTime(dir / "src/a.bin", PatternBytes(1500000, 3), SourceTime + 60);
    WriteWithTime(dir / "src/b.bin", PatternBytes(1500000, 4), SourceTime + 60);
    RunHarness run;
    RunBackup(run.ctx, dir / "src", dir / "disk/Backup");

    EXPECT_EQ(run.lastRunFailed, 1);
    EXPECT_EQ(run.LogLines().size(), 2u);
    EXPECT_EQ(ReadFileBytes(copies + "a.bin"), PatternBytes(100000, 1));
    EXPECT_EQ(ReadFileBytes(copies + "b.bin"), PatternBytes(100000, 2));
    EXPECT_TRUE(PartFilesIn(copies).empty()) << "a failed copy must not keep the disk full";
    EXPECT_TRUE(run.Idle());
}

TEST(RunBackupFailures, AnUnwritableLogEndsTheRunAndIsReportedOnce)
{
    TempFolder dir;
    MakeFolders(dir / "src");
    WriteFileBytes(dir / "src/a.txt", "a");
    WriteFileBytes(dir / "src/b.txt", "b");
    MakeFolders(dir / "backup");
    RunHarness run;
    ImmutableFlag frozenLog(run.exeFolder);
    ImmutableFlag frozenBackup(dir / "backup");
    if (!frozenLog.applied() || !frozenBackup.applied())
        GTEST_SKIP() << "the file system refuses the immutable flag here";

    // Both files fail; the first failure cannot be logged, which ends the run there.
    EXPECT_NO_THROW(RunBackup(run.ctx, dir / "src", dir / "backup"));
    EXPECT_EQ(run.lastRunFailed, 1);
    ASSERT_EQ(run.view.reportedErrors.size(), 1u);
    EXPECT_FALSE(run.view.reportedErrors[0].empty());
    EXPECT_EQ(run.view.methodLabels.size(), 3u);
    EXPECT_FALSE(Exists(run.exeFolder + "Error.log"));
    EXPECT_TRUE(run.Idle());

    // The same for a run abort.
    RunHarness aborted;
    SystemSeams::SetExeFolder(run.exeFolder); // the frozen one, not the new harness's
    EXPECT_NO_THROW(RunBackup(aborted.ctx, dir / "src", dir / "nodrive/Backup"));
    EXPECT_EQ(aborted.lastRunFailed, 1);
    EXPECT_EQ(aborted.view.reportedErrors.size(), 1u);
    EXPECT_TRUE(aborted.Idle());
}

TEST(RunBackupFailures, ATreeLargerThanTheTableFailsTheRunAndSaysSo)
{
    TempFolder dir;
    MakeFolders(dir / "src");
    for (int i = 0; i < 5; ++i)
        WriteFileBytes(dir / ("src/f" + std::to_string(i)), "x");
    RunHarness run;
    SystemSeams::SetFileTableCapacity(run.files, 3);
    RunBackup(run.ctx, dir / "src", dir / "backup");

    EXPECT_EQ(run.lastRunFailed, 1);
    EXPECT_EQ(run.fileCount, 3);
    const auto lines = run.LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].ends_with(" " + TableFullText(3))) << lines[0];
    size_t copied = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir / ("backup" + dir / "src")))
        copied += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(copied, 3u);
    EXPECT_TRUE(run.Idle());
}

TEST(RunBackupFailures, AMissingSourceFolderIsLoggedAndFailsTheRunWhileAnEmptyOneIsClean)
{
    TempFolder dir;
    RunHarness run;
    RunBackup(run.ctx, dir / "unplugged", dir / "backup");
    EXPECT_EQ(run.lastRunFailed, 1);
    const auto lines = run.LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].ends_with(" " + FolderFailureText(run.text, dir / "unplugged", std::strerror(ENOENT))))
        << lines[0];

    EXPECT_EQ(run.ctx.Failures.foldersNotRead, 1);

    MakeFolders(dir / "empty");
    RunHarness empty;
    RunBackup(empty.ctx, dir / "empty", dir / "backup");
    EXPECT_EQ(empty.lastRunFailed, 0);
    EXPECT_TRUE(empty.LogLines().empty());
    EXPECT_FALSE(empty.ctx.Failures.Any());
}

TEST(RunBackupFailures, ALinkPlantedWhereADestinationFolderBelongsIsNeverWrittenThrough)
{
    TempFolder dir;
    MakeFolders(dir / "src/sub/deeper");
    WriteFileBytes(dir / "src/a.txt", "a");
    WriteFileBytes(dir / "src/sub/b.txt", "b");
    WriteFileBytes(dir / "src/sub/deeper/c.txt", "c");
    MakeFolders(dir / "elsewhere");
    const std::string copies = dir / ("backup" + dir / "src/");
    MakeFolders(copies);
    std::filesystem::create_directory_symlink(dir / "elsewhere", copies + "sub");

    for (int runs = 0; runs < 2; ++runs) {
        RunHarness run;
        RunBackup(run.ctx, dir / "src", dir / "backup");
        EXPECT_EQ(run.lastRunFailed, 1);
        const auto lines = run.LogLines();
        ASSERT_EQ(lines.size(), 1u) << "one line for the folder, none for each file below it";
        EXPECT_NE(lines[0].find(FolderFailureText(run.text, copies + "sub", "")), std::string::npos) << lines[0];
        EXPECT_TRUE(std::filesystem::is_empty(dir / "elsewhere"));
        EXPECT_TRUE(std::filesystem::is_symlink(copies + "sub"));
        EXPECT_EQ(ReadFileBytes(copies + "a.txt"), "a");
    }
}

TEST(RunBackupFailures, ASourceLinkOfAnotherUserToAFileOfAThirdIsPassedOverWithOneLine)
{
    if (!RunningAsRoot())
        GTEST_SKIP() << "giving a link to another user needs root";
    TempFolder dir;
    MakeFolders(dir / "src");
    WriteFileBytes(dir / "secret", "root's own");
    WriteFileBytes(dir / "src/mine.txt", "mine");
    ASSERT_EQ(::symlink((dir / "src/mine.txt").c_str(), (dir / "src/own-link.txt").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "secret").c_str(), (dir / "src/their-link.txt").c_str()), 0);
    ASSERT_EQ(::lchown((dir / "src/their-link.txt").c_str(), 1234, 1234), 0);
    const std::string copies = dir / ("backup" + dir / "src/");

    RunHarness run;
    RunBackup(run.ctx, dir / "src", dir / "backup");
    EXPECT_EQ(run.lastRunFailed, 1);
    const auto lines = run.LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(FolderFailureText(run.text, dir / "src/their-link.txt", "")), std::string::npos)
        << lines[0];
    EXPECT_FALSE(Exists(copies + "their-link.txt"));
    EXPECT_EQ(ReadFileBytes(copies + "own-link.txt"), "mine");
    EXPECT_EQ(run.view.methodLabels.size(), 3u) << "one method each, none tried again for the refused link";
}
