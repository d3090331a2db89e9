// The program is killed (kill -9) in the middle of the block copy of a large file.
#include "ChildProcess.h"
#include "FaultHarness.h"

#include "engine/CopyMethods.h"
#include "engine/PartFile.h"
#include "engine/WriteBehind.h"
#include "platform/DosStamp.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <optional>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

off_t SizeOf(const std::string& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

// Waits for a file of the given name to be created in folder; false when the time runs out.
bool WaitForCreation(int inotify, const std::string& name, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd ready { inotify, POLLIN, 0 };
        if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0)
            continue;
        const ssize_t got = ::read(inotify, buffer, sizeof buffer);
        for (ssize_t at = 0; got > 0 && at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && name == event->name)
                return true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

// Lets a run in a child process go to the pump before its first file's block number block, tells the test
// "copying", and holds it there, in the middle of the copy, until it is killed.
void HoldInTheCopy(RunHarness& run, int block, int toParent)
{
    run.view.onPump = [&run, block, toParent, pumps = 0]() mutable {
        if (run.view.gaugePosition == 1 && ++pumps == block) {
            Tell(toParent, "copying");
            for (;;)
                ::pause();
        }
    };
}

} // namespace

TEST(KilledRun, InTheMiddleOfABlockCopyLeavesThePreviousCopyOrNoneAndTheNextRunFinishesTheJob)
{
    // Over a previous copy the copy is a part file; a new one is a file without a name until it is whole.
    for (const bool previousCopy : {true, false}) {
        SCOPED_TRACE(previousCopy ? "over a previous copy" : "a new copy");
        TempFolder dir;
        MakeFolders(dir / "src");
        MakeFolders(dir / "exe");
        const std::string big = dir / "src/big.bin";
        const std::string copies = dir / ("backup" + dir / "src/");
        const std::string copy = copies + "big.bin";
        const std::string part = copies + PartFileNameFor("big.bin");
        MakeFolders(copies);
        const std::string previous = PatternBytes(1 << 20, 1);
        if (previousCopy)
            WriteWithTime(copy, previous, OldTime);
        const ino_t previousInode = previousCopy ? InodeOf(copy) : 0;
        const std::string current = PatternBytes(8 << 20, 2);
        WriteWithTime(big, current, SourceTime);

        Child child([&](int toParent) {
            RunHarness run(dir / "exe");
            HoldInTheCopy(run, 20, toParent);
            run.Run(dir / "src", dir / "backup");
            Tell(toParent, "the run ended");
            return 0;
        });
        ASSERT_TRUE(child.started());
        ASSERT_EQ(child.NextLine(std::chrono::seconds(60)), std::optional<std::string>("copying"));
        if (previousCopy) {
            EXPECT_GE(SizeOf(part), static_cast<off_t>(19 * CopyBlockSize)) << "19 blocks were written to the part file";
        }
        child.Kill();

        if (previousCopy) {
            EXPECT_TRUE(ContentOf(copy) == previous) << "the copy under the destination's own name is the previous one";
            EXPECT_EQ(InodeOf(copy), previousInode);
            EXPECT_EQ(PartFilesBelow(dir / "backup"), std::vector<std::string> { part }) << "only the hidden part file is left";
        } else {
            EXPECT_FALSE(Exists(copy)) << "no half copy under the destination's name";
            EXPECT_TRUE(std::filesystem::is_empty(copies)) << "nothing at all is left";
        }
        EXPECT_FALSE(Exists(dir / "exe/Error.log"));

        RunHarness next;
        next.Run(dir / "src", dir / "backup");
        EXPECT_EQ(next.lastRunFailed, 0);
        EXPECT_TRUE(ContentOf(copy) == current);
        EXPECT_EQ(platform::FileStamp(copy), platform::FileStamp(big));
        EXPECT_TRUE(PartFilesBelow(dir / "backup").empty()) << "the next run took the part file over";
        EXPECT_TRUE(next.LogLines().empty());
    }
}

// Two programs back up one source into one destination at once. The second takes the part-file name over
// as a killed run's leftover and is killed in the middle of its copy: its half copy must never take the
// place of the previous copy.
TEST(KilledRun, ASecondProgramTakingThePartFileNameOverNeverGetsItsHalfCopyPutInPlace)
{
    TempFolder dir;
    MakeFolders(dir / "src");
    MakeFolders(dir / "exe2");
    const std::string copies = dir / ("backup" + dir / "src/");
    const std::string copy = copies + "big.bin";
    MakeFolders(copies);
    const std::string previous = PatternBytes(1 << 20, 1);
    WriteWithTime(copy, previous, OldTime);
    const std::string current = PatternBytes(8 << 20, 2);
    WriteWithTime(dir / "src/big.bin", current, SourceTime);

    std::optional<Child> second;
    RunHarness first;
    int pumps = 0;
    first.view.onPump = [&] {
        if (first.view.gaugePosition != 1 || ++pumps != 20)
            return;
        second.emplace([&](int toParent) {
            RunHarness run(dir / "exe2");
            HoldInTheCopy(run, 10, toParent);
            run.Run(dir / "src", dir / "backup");
            return 0;
        });
        EXPECT_EQ(second->NextLine(std::chrono::seconds(60)), std::optional<std::string>("copying"));
    };
    first.Run(dir / "src", dir / "backup");
    ASSERT_TRUE(second.has_value());
    second->Kill();
    const std::string left = ContentOf(copy);
    EXPECT_TRUE(left == previous || left == current)
        << "a whole copy, not the second one's " << left.size() << " bytes";

    RunHarness next;
    next.Run(dir / "src", dir / "backup");
    EXPECT_TRUE(ContentOf(copy) == current);
    EXPECT_EQ(next.lastRunFailed, 0);
}

// The real program in a folder of its own, with one profile whose source holds a large file and
// whose destination holds an older copy of it.
struct RealProgramWithLargeCopy {
    RealProgramWithLargeCopy()
    {
        MakeFolders(dir / "src");
        MakeFolders(dir / "exe");
        std::filesystem::copy_file(DUPLIQA_BINARY, program);
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        MakeFolders(copies);
        WriteWithTime(copy, previous, OldTime);
        previousInode = InodeOf(copy);
        WriteLargeFile(big, size, 2, SourceTime);
        WriteFileBytes(dir / "exe/Items.txt", "Big;" + (dir / "src") + ";" + (dir / "backup") + ";180\r\n");
    }

    // Waits until running has written a few blocks of the part file; false when it never began.
    bool WaitForTheCopy()
    {
        const int inotify = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (inotify < 0 || ::inotify_add_watch(inotify, copies.c_str(), IN_CREATE) < 0)
            return false;
        // The program runs every profile once, shortly after it starts.
        running.emplace(program, std::vector<std::string> {});
        const bool partMade = running->started()
            && WaitForCreation(inotify, PartFileNameFor("big.bin"), std::chrono::seconds(60));
        ::close(inotify);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (partMade && SizeOf(part) < static_cast<off_t>(4 * CopyBlockSize)
            && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        return partMade;
    }

    TempFolder dir;
    const std::string program = dir / "exe/Dupliqa";
    const std::string big = dir / "src/big.bin";
    const std::string copies = dir / ("backup" + dir / "src/");
    const std::string copy = copies + "big.bin";
    const std::string part = copies + PartFileNameFor("big.bin");
    // A stretch of the write-behind, so that the previous copy is held open and its pages handed back as the copy goes.
    const std::string previous = PatternBytes(WriteBehind::Stretch, 1);
    ino_t previousInode = 0;
    // Large enough that the copy takes a good part of a second however fast the machine is.
    const size_t size = size_t { 256 } << 20;
    std::optional<Child> running;
};

TEST(KilledRun, TheRealProgramKilledInTheMiddleOfACopy)
{
    RealProgramWithLargeCopy setup;
    auto& [dir, program, big, copies, copy, part, previous, previousInode, size, running] = setup;
    const bool partMade = setup.WaitForTheCopy();
    running->Kill();
    running.reset();
    ASSERT_TRUE(partMade) << "the program never began the copy";
    const off_t partSize = SizeOf(part);
    if (partSize < 0 && SizeOf(copy) == static_cast<off_t>(size))
        GTEST_SKIP() << "the program finished the whole copy before it could be killed";
    EXPECT_GT(partSize, 0);
    EXPECT_LT(partSize, static_cast<off_t>(size)) << "killed in the middle";
    EXPECT_TRUE(ContentOf(copy) == previous) << "the copy under the destination's own name is the previous one";
    EXPECT_EQ(InodeOf(copy), previousInode);
    EXPECT_EQ(PartFilesBelow(dir / "backup"), std::vector<std::string> { part });

    {
        // Started again, it runs the profile again and finishes the copy; it is a tray program, so it
        // is ended once the copy is in place.
        Child again(program, {});
        ASSERT_TRUE(again.started());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while ((Exists(part) || SizeOf(copy) != static_cast<off_t>(size)
                   || platform::FileStamp(copy) != platform::FileStamp(big))
            && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(PartFilesBelow(dir / "backup").empty()) << "the part file was taken over";
    EXPECT_EQ(platform::FileStamp(copy), platform::FileStamp(big));
    EXPECT_TRUE(ContentOf(copy) == ContentOf(big)) << "the copy is complete";
    EXPECT_FALSE(Exists(dir / "exe/Error.log"));
}

TEST(KilledRun, TheRealProgramEndedBySigtermInTheMiddleOfACopyExitsCleanly)
{
    RealProgramWithLargeCopy setup;
    ASSERT_TRUE(setup.WaitForTheCopy()) << "the program never began the copy";
    const auto signalled = std::chrono::steady_clock::now();
    ASSERT_EQ(::kill(setup.running->pid(), SIGTERM), 0);
    const std::optional<int> status = setup.running->Wait(std::chrono::seconds(60));
    const auto took = std::chrono::steady_clock::now() - signalled;
    std::cout << "ended " << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
              << " ms after SIGTERM\n";
    EXPECT_EQ(status, std::optional<int>(0)) << "exit status, or minus the signal that ended it";
    EXPECT_TRUE(PartFilesBelow(setup.dir / "backup").empty()) << "the part file was removed";
    if (SizeOf(setup.copy) == static_cast<off_t>(setup.size))
        GTEST_SKIP() << "the program finished the whole copy before the signal came";
    EXPECT_EQ(InodeOf(setup.copy), setup.previousInode) << "the previous copy was left as it was";
    EXPECT_TRUE(ContentOf(setup.copy) == setup.previous);
}
