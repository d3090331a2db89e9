#include "CopyRunHarness.h"
#include "SystemSeams.h"
#include "TempFolder.h"
#include "FileByPaths.h"
#include "engine/CopyMethods.h"
#include "engine/PartFile.h"
#include "platform/DosStamp.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <thread>

using platform::FileStamp;

namespace {

using CopyMethod = void (*)(RunContext&, const FileToCopy&);

struct NamedMethod {
    const char* label;
    CopyMethod copy;
};

const NamedMethod AllMethods[] = {{"1 method", CopyByBlocks}, {"2 method", CopyByStream}, {"3 method", CopyBySystem}};

// R running, S waiting, as the kernel shows a thread of this process.
char ThreadState(pid_t thread)
{
    const std::string stat = ReadFileBytes("/proc/self/task/" + std::to_string(thread) + "/stat");
    const size_t end = stat.rfind(')');
    return end != std::string::npos && end + 2 < stat.size() ? stat[end + 2] : '?';
}

} // namespace

TEST(CopyByBlocks, CopiesByteExactInFullBlocksWithTheSourceStamp)
{
    struct Case {
        size_t size;
        int reads;
    };
    // A file whose length is a multiple of the block ends with a read of nothing.
    for (const Case c : {Case{0, 1}, Case{49151, 1}, Case{49152, 2}, Case{49153, 2}, Case{3 * 49152, 4}}) {
        SCOPED_TRACE(c.size);
        TempFolder dir;
        RunHarness run;
        WriteWithTime(dir / "source.bin", PatternBytes(c.size));
        CopyByPaths(CopyByBlocks, run.ctx, dir / "source.bin", dir / "copy.bin");
        EXPECT_EQ(ReadFileBytes(dir / "copy.bin"), PatternBytes(c.size));
        EXPECT_EQ(run.view.pumps, c.reads);
        EXPECT_EQ(FileStamp(dir / "copy.bin"), platform::StampFromTime(SourceTime));
        EXPECT_EQ(run.view.panels[3], "1 method");
        EXPECT_TRUE(PartFilesIn(dir.path()).empty());
    }
}

TEST(CopyByBlocks, RefusesToCopyAFileOntoItselfBeforeOpeningAnything)
{
    TempFolder dir;
    RunHarness run;
    WriteWithTime(dir / "a.txt", "content");
    const FileIdentity before = IdentityOf(dir / "a.txt");
    try {
        CopyByPaths(CopyByBlocks, run.ctx, dir / "a.txt", dir / "a.txt");
        FAIL() << "copying a file onto itself must fail";
    } catch (const Error& failure) {
        EXPECT_EQ(std::string(failure.what()), "File cannot be copied onto itself");
    }
    EXPECT_EQ(run.view.pumps, 0);
    EXPECT_TRUE(IdentityOf(dir / "a.txt") == before);
    EXPECT_TRUE(PartFilesIn(dir.path()).empty());
}

TEST(CopyByBlocks, StopAbandonsTheFileAndKeepsThePreviousCopy)
{
    TempFolder dir;
    RunHarness run;
    WriteWithTime(dir / "big.bin", PatternBytes(20 * CopyBlockSize, 2));
    WriteWithTime(dir / "copy.bin", "the previous good copy", EarlierTime);
    const FileIdentity before = IdentityOf(dir / "copy.bin");
    run.view.onPump = [&] { run.stopRequested = run.view.pumps == 3; };
    EXPECT_NO_THROW(CopyByPaths(CopyByBlocks, run.ctx, dir / "big.bin", dir / "copy.bin"));
    EXPECT_EQ(run.view.pumps, 3) << "the stop is seen after the block being written";
    EXPECT_EQ(ReadFileBytes(dir / "copy.bin"), "the previous good copy");
    EXPECT_TRUE(IdentityOf(dir / "copy.bin") == before);
    EXPECT_TRUE(PartFilesIn(dir.path()).empty());
}

TEST(CopyByBlocks, ANameTakenWhileANewCopyIsMadeIsReplacedAsAPreviousCopyWouldBe)
{
    TempFolder dir;
    RunHarness run;
    WriteWithTime(dir / "big.bin", PatternBytes(3 * CopyBlockSize, 7));
    run.view.onPump = [&] {
        if (run.view.pumps == 2)
            WriteFileBytes(dir / "copy.bin", "came meanwhile");
    };
    CopyByPaths(CopyByBlocks, run.ctx, dir / "big.bin", dir / "copy.bin");
    EXPECT_EQ(ReadFileBytes(dir / "copy.bin"), PatternBytes(3 * CopyBlockSize, 7));
    EXPECT_EQ(FileStamp(dir / "copy.bin"), FileStamp(dir / "big.bin"));
    EXPECT_TRUE(PartFilesIn(dir.path()).empty());
}

TEST(CopyMethods, StreamAndSystemCopiesPumpBetweenPiecesAndAStopKeepsThePreviousCopy)
{
    TempFolder dir;
    WriteWithTime(dir / "big.bin", PatternBytes(8 << 20, 2));
    WriteWithTime(dir / "copy.bin", "the previous good copy", EarlierTime);
    for (const CopyMethod method : {CopyByStream, CopyBySystem}) {
        RunHarness run;
        run.view.onPump = [&] { run.stopRequested = run.view.pumps == 3; };
        EXPECT_NO_THROW(CopyByPaths(method, run.ctx, dir / "big.bin", dir / "copy.bin"));
        EXPECT_EQ(run.view.pumps, 3);
        EXPECT_TRUE(ReadFileBytes(dir / "copy.bin") == "the previous good copy");
        EXPECT_TRUE(PartFilesIn(dir.path()).empty());
    }
}

TEST(CopyByBlocks, AFileChangedWhileBeingCopiedIsCopiedAgainNextTime)
{
    // Changed an hour later, the copy has the stamp of when the source was opened. Rewritten in place within
    // the same second, the source keeps its length and its stamp: the copy must still not pass for current.
    for (const long later : {3600L * 1000000000L, 500000000L}) {
        TempFolder dir;
        RunHarness run;
        WriteWithTime(dir / "growing.log", PatternBytes(5 * CopyBlockSize, 6));
        run.view.onPump = [&] {
            if (run.view.pumps != 2)
                return;
            WriteFileBytes(dir / "growing.log", PatternBytes(5 * CopyBlockSize, 7));
            const timespec times[2] = {{0, UTIME_OMIT}, {SourceTime + later / 1000000000L, later % 1000000000L}};
            ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "growing.log").c_str(), times, 0), 0);
        };
        CopyByPaths(CopyByBlocks, run.ctx, dir / "growing.log", dir / "copy.log");
        if (later > 1000000000L) {
            EXPECT_EQ(FileStamp(dir / "copy.log"), platform::StampFromTime(SourceTime));
        }
        EXPECT_TRUE(NeedsCopyByPaths(dir / "growing.log", dir / "copy.log")) << later;
    }
}

TEST(CopyMethods, EachReplacesTheDestinationWithContentStampAndPermissions)
{
    for (const NamedMethod& method : AllMethods) {
        SCOPED_TRACE(method.label);
        TempFolder dir;
        RunHarness run;
        const std::string bytes = PatternBytes((5 << 20) + 17, 4);
        WriteWithTime(dir / "source.bin", bytes);
        // Run as root, a copy keeps its source's owner; chown itself drops set-user-ID, so it comes first.
        if (RunningAsRoot()) {
            ASSERT_EQ(::chown((dir / "source.bin").c_str(), 1234, 1235), 0);
        }
        ASSERT_EQ(::chmod((dir / "source.bin").c_str(), 04750), 0);
        WriteWithTime(dir / "copy.bin", PatternBytes(3 << 20, 9), EarlierTime); // older and shorter
        // A link at the destination is replaced, never written through.
        WriteFileBytes(dir / "elsewhere.txt", "not part of the backup");
        ASSERT_EQ(::symlink((dir / "elsewhere.txt").c_str(), (dir / "linked.bin").c_str()), 0);

        CopyByPaths(method.copy, run.ctx, dir / "source.bin", dir / "copy.bin");
        CopyByPaths(method.copy, run.ctx, dir / "source.bin", dir / "linked.bin");
        CopyByPaths(method.copy, run.ctx, dir / "source.bin", dir / "new.bin"); // made without a name first

        EXPECT_EQ(run.view.panels[3], method.label);
        EXPECT_TRUE(ReadFileBytes(dir / "copy.bin") == bytes);
        EXPECT_EQ(FileStamp(dir / "copy.bin"), FileStamp(dir / "source.bin"));
        EXPECT_EQ(PermissionsOf(dir / "copy.bin"), 0750u) << "set-user-ID must not reach the copy";
        for (const char* name : {"copy.bin", "new.bin"}) {
            EXPECT_EQ(PermissionsOf(dir / name), 0750u) << name;
            struct stat owned {};
            ASSERT_EQ(::stat((dir / name).c_str(), &owned), 0);
            EXPECT_EQ(owned.st_uid, RunningAsRoot() ? 1234u : ::geteuid()) << name;
            EXPECT_EQ(owned.st_gid, RunningAsRoot() ? 1235u : ::getegid()) << name;
        }
        EXPECT_TRUE(ReadFileBytes(dir / "new.bin") == bytes);
        struct stat linked {};
        ASSERT_EQ(::lstat((dir / "linked.bin").c_str(), &linked), 0);
        EXPECT_TRUE(S_ISREG(linked.st_mode));
        EXPECT_EQ(ReadFileBytes(dir / "elsewhere.txt"), "not part of the backup");
        EXPECT_TRUE(PartFilesIn(dir.path()).empty());
    }
}

TEST(CopyBySystem, KeepsTheExactModificationTimeAndFailsWithAnEmptyMessage)
{
    TempFolder dir;
    RunHarness run;
    WriteFileBytes(dir / "source.bin", "x");
    const struct timespec times[2] = {{SourceTime, 0}, {SourceTime, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "source.bin").c_str(), times, 0), 0);
    CopyByPaths(CopyBySystem, run.ctx, dir / "source.bin", dir / "copy.bin");
    EXPECT_EQ(IdentityOf(dir / "copy.bin").modified.tv_sec, SourceTime);
    EXPECT_EQ(IdentityOf(dir / "copy.bin").modified.tv_nsec, 123456789);
    try {
        CopyByPaths(CopyBySystem, run.ctx, dir / "missing.bin", dir / "copy2.bin");
        FAIL() << "a missing source must fail";
    } catch (const Error& failure) {
        EXPECT_STREQ(failure.what(), "");
    }
}

TEST(CopyMethods, AFailedCopyLeavesThePreviousCopyAndNeverOpensAFifoOrWhatALinkLeadsToButAFile)
{
    TempFolder dir;
    RunHarness run;
    MakeFolders(dir / "backup");
    WriteWithTime(dir / "source.bin", PatternBytes(70000, 5));
    WriteWithTime(dir / "backup/copy.bin", "previous", EarlierTime);
    // A fifo that took a file's place since the scan would hang the run if it were opened.
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    for (const NamedMethod& method : AllMethods)
        EXPECT_THROW(CopyByPaths(method.copy, run.ctx, dir / "fifo", dir / "fifo-copy"), Error) << method.label;
    EXPECT_FALSE(Exists(dir / "fifo-copy"));

    // Behind a link a device could stand as well, whose open alone does something: a writer waiting on the
    // fifo shows whether it was opened.
    ASSERT_EQ(::symlink((dir / "fifo").c_str(), (dir / "piped").c_str()), 0);
    std::atomic<bool> writerOpened{false};
    std::atomic<pid_t> writerThread{0};
    std::thread writer([&] {
        writerThread = ::gettid();
        const int fd = ::open((dir / "fifo").c_str(), O_WRONLY | O_CLOEXEC);
        writerOpened = true;
        ::close(fd);
    });
    while (!writerOpened && (writerThread == 0 || ThreadState(writerThread) != 'S'))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    for (const NamedMethod& method : AllMethods)
        EXPECT_THROW(CopyByPaths(method.copy, run.ctx, dir / "piped", dir / "piped-copy"), Error) << method.label;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(writerOpened) << "the fifo behind the link was opened";
    const int reader = ::open((dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    writer.join();
    ::close(reader);

    ImmutableFlag frozen(dir / "backup");
    if (!frozen.applied())
        GTEST_SKIP() << "the file system refuses the immutable flag here";
    for (const NamedMethod& method : AllMethods) {
        EXPECT_THROW(CopyByPaths(method.copy, run.ctx, dir / "source.bin", dir / "backup/copy.bin"), Error) << method.label;
        EXPECT_EQ(ReadFileBytes(dir / "backup/copy.bin"), "previous");
    }
}

TEST(PartFile, ALeftoverOfAKilledRunIsTakenOverNeverFollowed)
{
    TempFolder dir;
    RunHarness run;
    MakeFolders(dir / "src");
    WriteWithTime(dir / "src/a.txt", "fresh content");
    WriteFileBytes(dir / "outside.txt", "must stay");
    const std::string leftover = dir / PartFileNameFor("copy.txt");
    ASSERT_EQ(::symlink((dir / "outside.txt").c_str(), leftover.c_str()), 0);
    WriteWithTime(dir / "copy.txt", "previous", EarlierTime); // killed while it replaced this copy
    CopyByPaths(CopyByBlocks, run.ctx, dir / "src/a.txt", dir / "copy.txt");
    EXPECT_EQ(ReadFileBytes(dir / "copy.txt"), "fresh content");
    EXPECT_EQ(ReadFileBytes(dir / "outside.txt"), "must stay");
    EXPECT_FALSE(Exists(leftover));

    // A name near the file system's limit still has a part file of its own, the same every run.
    const std::string longName(250, 'n');
    EXPECT_EQ(PartFileNameFor(longName), PartFileNameFor(longName));
    EXPECT_NE(PartFileNameFor(longName), PartFileNameFor(longName + "x"));
    EXPECT_TRUE(IsPartFileName(PartFileNameFor(longName)));
    WriteWithTime(dir / longName, "long");
    CopyByPaths(CopyByStream, run.ctx, dir / longName, dir / (longName + "x"));
    EXPECT_EQ(ReadFileBytes(dir / (longName + "x")), "long");
}

TEST(NeedsCopy, CopiesWhatIsMissingOrHasAnotherStampEitherWayOrAnotherLength)
{
    TempFolder dir;
    WriteWithTime(dir / "source.txt", "s");
    EXPECT_TRUE(NeedsCopyByPaths(dir / "source.txt", dir / "missing.txt"));
    WriteWithTime(dir / "same.txt", "o", SourceTime - 1);
    EXPECT_FALSE(NeedsCopyByPaths(dir / "source.txt", dir / "same.txt")) << "stamps have 2-second steps";
    WriteWithTime(dir / "empty.txt", "", SourceTime);
    EXPECT_TRUE(NeedsCopyByPaths(dir / "source.txt", dir / "empty.txt")) << "a copy that lost its bytes";
    WriteWithTime(dir / "appended.txt", "s+", SourceTime - 1);
    EXPECT_TRUE(NeedsCopyByPaths(dir / "appended.txt", dir / "source.txt")) << "appended within the stamp's step";
    WriteWithTime(dir / "next.txt", "d", SourceTime + 1);
    EXPECT_TRUE(NeedsCopyByPaths(dir / "source.txt", dir / "next.txt")) << "one second on is the next step";
    WriteWithTime(dir / "newer.txt", "d", SourceTime + 3600);
    EXPECT_TRUE(NeedsCopyByPaths(dir / "source.txt", dir / "newer.txt"));
    WriteWithTime(dir / "older.txt", "d", EarlierTime);
    EXPECT_TRUE(NeedsCopyByPaths(dir / "source.txt", dir / "older.txt"));
    MakeFolders(dir / "folder");
    EXPECT_TRUE(NeedsCopyByPaths(dir / "source.txt", dir / "folder"));

    // When the clocks go back an hour is lived twice: one local stamp then names two instants an hour apart.
    const std::string zone = std::getenv("TZ") ? std::getenv("TZ") : "UTC";
    ::setenv("TZ", "Europe/Athens", 1);
    ::tzset();
    WriteWithTime(dir / "first.txt", "a", 1729989000); // 2024-10-27 03:30 +0300
    WriteWithTime(dir / "again.txt", "b", 1729992600); // 03:30 +0200, an hour later
    const bool copied = NeedsCopyByPaths(dir / "again.txt", dir / "first.txt");
    ::setenv("TZ", zone.c_str(), 1);
    ::tzset();
    EXPECT_TRUE(copied) << "a change in the hour lived twice";
}

TEST(CopyByBlocks, ASparseSourceKeepsItsHolesAndItsBlocks)
{
    TempFolder dir;
    RunHarness run;
    const std::string data = PatternBytes(CopyBlockSize, 7);
    const off_t length = 400 * static_cast<off_t>(CopyBlockSize) + 5;
    {
        const int fd = ::open((dir / "sparse.bin").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, data.data(), data.size(), 200 * static_cast<off_t>(CopyBlockSize)),
                  static_cast<ssize_t>(data.size()));
        ASSERT_EQ(::ftruncate(fd, length), 0);
        ::close(fd);
    }
    SetModificationTime(dir / "sparse.bin", SourceTime);
    struct stat source {};
    ASSERT_EQ(::stat((dir / "sparse.bin").c_str(), &source), 0);
    if (source.st_blocks * 512 >= source.st_size)
        GTEST_SKIP() << "this file system keeps no holes";
    CopyByPaths(CopyByBlocks, run.ctx, dir / "sparse.bin", dir / "copy.bin");
    EXPECT_TRUE(ReadFileBytes(dir / "copy.bin") == ReadFileBytes(dir / "sparse.bin"));
    EXPECT_EQ(run.view.pumps, 401) << "a pump for every block, holes included";
    struct stat copy {};
    ASSERT_EQ(::stat((dir / "copy.bin").c_str(), &copy), 0);
    EXPECT_EQ(copy.st_size, length);
    EXPECT_LE(copy.st_blocks, source.st_blocks);
}

// Where the kernel cannot copy between the two files, each block is read and written instead.
TEST(CopyByBlocks, CopiesByReadingAndWritingWhereTheKernelRefuses)
{
    TempFolder dir;
    SmallDisk disk(dir / "disk", "4m");
    const bool crossDisk = RunningAsRoot() && disk.mounted();
    SystemSeams::SetKernelCopyRefused(!crossDisk);
    const std::string source = crossDisk ? dir / "disk/source.bin" : dir / "source.bin";
    for (const size_t size : {size_t{0}, CopyBlockSize, 3 * CopyBlockSize + 17}) {
        RunHarness run;
        WriteWithTime(source, PatternBytes(size, 3));
        CopyByPaths(CopyByBlocks, run.ctx, source, dir / "copy.bin");
        EXPECT_TRUE(ReadFileBytes(dir / "copy.bin") == PatternBytes(size, 3)) << size;
        EXPECT_EQ(run.view.pumps, static_cast<int>(size / CopyBlockSize) + 1) << size;
        EXPECT_EQ(FileStamp(dir / "copy.bin"), platform::StampFromTime(SourceTime));
    }
    SystemSeams::SetKernelCopyRefused(false);
}
