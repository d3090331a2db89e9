// The destination disk, or the disk of the log, fills up in the middle of a run.
#include "FaultHarness.h"

#include "engine/CopyMethods.h"
#include "engine/ErrorLog.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Writes a file that takes every free block of the disk that folder lies on.
void FillDisk(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const std::string chunk(65536, 'f');
    size_t size = chunk.size();
    while (size > 0) {
        const ssize_t written = ::write(fd, chunk.data(), size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            size /= 2; // the last blocks are taken in smaller and smaller pieces
    }
    ::close(fd);
}

} // namespace

TEST(DestinationDiskFull, ALargeCopyThatDoesNotFitKeepsThePreviousCopyLogsItAndTheRunGoesOn)
{
    if (!RunningAsRoot())
        GTEST_SKIP() << NeedsRoot;
    TempFolder dir;
    TmpfsMount disk(dir / "disk", "4m");
    if (!disk.mounted())
        GTEST_SKIP() << TmpfsRefused;
    MakeFolders(dir / "src/sub");
    const std::string previousBig = PatternBytes(1 << 20, 1);
    WriteWithTime(dir / "src/big.bin", previousBig, OldTime);
    WriteWithTime(dir / "src/sub/after.txt", "after, old", OldTime);
    RunHarness first;
    first.Run(dir / "src", dir / "disk/Backup");
    ASSERT_EQ(first.lastRunFailed, 0);
    const std::string copies = dir / ("disk/Backup" + dir / "src/");
    ASSERT_TRUE(ContentOf(copies + "big.bin") == previousBig);
    const ino_t previousInode = InodeOf(copies + "big.bin");

    // 6 MiB do not fit next to the 1 MiB copy on a 4 MiB disk; the small file that comes after it does.
    WriteWithTime(dir / "src/big.bin", PatternBytes(6 << 20, 2), SourceTime);
    WriteWithTime(dir / "src/sub/after.txt", "after, new", SourceTime);
    RunHarness run;
    int pumpsDuringBigCopy = 0;
    run.view.onPump = [&] {
        if (run.view.gaugePosition == 1)
            ++pumpsDuringBigCopy;
    };
    run.Run(dir / "src", dir / "disk/Backup");

    EXPECT_EQ(run.lastRunFailed, 1);
    const auto lines = run.LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].ends_with(" " + FileFailureText(run.text, dir / "src/big.bin", copies + "big.bin")))
        << lines[0];
    EXPECT_TRUE(ContentOf(copies + "big.bin") == previousBig) << "the previous copy is kept whole";
    EXPECT_EQ(InodeOf(copies + "big.bin"), previousInode) << "and never even replaced";
    EXPECT_TRUE(PartFilesBelow(dir / "disk").empty()) << "a failed copy gives its room back";
    EXPECT_EQ(ReadFileBytes(copies + "sub/after.txt"), "after, new") << "the run went on after the failure";
    // The other methods would only have filled the disk again, twice.
    EXPECT_EQ(run.view.methodLabels, (std::vector<std::string> { "1 method", "1 method" }));
    // The window kept being served while the disk filled: a pump before every block written.
    EXPECT_GE(pumpsDuringBigCopy, static_cast<int>((3 << 20) / CopyBlockSize));
    EXPECT_TRUE(run.view.reportedErrors.empty());
    EXPECT_TRUE(run.Idle());
}

TEST(DestinationDiskFull, AFullDiskThatAlsoHoldsTheLogKeepsTheLogWholeAndSaysSoOnce)
{
    if (!RunningAsRoot())
        GTEST_SKIP() << NeedsRoot;
    TempFolder dir;
    TmpfsMount disk(dir / "disk", "1m");
    if (!disk.mounted())
        GTEST_SKIP() << TmpfsRefused;
    MakeFolders(dir / "disk/exe");
    MakeFolders(dir / "src");
    WriteWithTime(dir / "src/a.bin", PatternBytes(100000, 3));
    // A log of whole pages, so that one more line needs a block of its own.
    const std::string line = "07/12/26 10:15:02 an earlier line\r\n";
    std::string log;
    while (log.size() + 2 * line.size() <= 4096)
        log += line;
    log += std::string(4096 - log.size() - 2, 'x') + "\r\n";
    WriteFileBytes(dir / "disk/exe/Error.log", log);
    FillDisk(dir / "disk/filler");

    RunHarness run(dir / "disk/exe");
    run.Run(dir / "src", dir / "disk/Backup");

    EXPECT_EQ(run.lastRunFailed, 1);
    ASSERT_EQ(run.view.reportedErrors.size(), 1u) << "the log that cannot take the line is reported, once";
    EXPECT_TRUE(run.view.reportedErrors[0].starts_with("Cannot write the error log " + dir / "disk/exe/Error.log"))
        << run.view.reportedErrors[0];
    EXPECT_EQ(ReadFileBytes(dir / "disk/exe/Error.log"), log) << "no half line, no line lost";
    EXPECT_TRUE(PartFilesBelow(dir / "disk").empty());
    EXPECT_TRUE(run.Idle());
}
