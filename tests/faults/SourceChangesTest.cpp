// A source file vanishes, grows, shrinks or is rewritten while it is being copied.
#include "FaultHarness.h"

#include "FileByPaths.h"
#include "engine/CopyMethods.h"
#include "engine/ErrorLog.h"
#include "platform/DosStamp.h"

#include <gtest/gtest.h>

#include <map>
#include <unistd.h>

namespace {

constexpr size_t BigSize = 40 * CopyBlockSize + 1000;

// A source folder with one large file, and a destination that holds the previous copy of it.
class SourceChangeTest : public testing::Test {
protected:
    void SetUp() override
    {
        MakeFolders(dir / "src");
        MakeFolders(copies);
        big = dir / "src/big.bin";
        bigCopy = copies + "big.bin";
    }

    void WithPreviousCopy()
    {
        WriteWithTime(bigCopy, previous, OldTime);
        previousInode = InodeOf(bigCopy);
    }

    // Runs the backup, calling change once, at the given pump of the large file's block copy.
    void RunChangingAtPump(int pump, const std::function<void()>& change)
    {
        run.view.onPump = [&, pump, change] {
            if (run.view.gaugePosition >= 1 && run.files[run.view.gaugePosition] == big && ++pumpsOfBig == pump)
                change();
        };
        run.Run(dir / "src", dir / "backup");
    }

    TempFolder dir;
    const std::string copies = dir / ("backup" + dir / "src/");
    std::string big;
    std::string bigCopy;
    const std::string previous = PatternBytes(BigSize, 1);
    const std::string current = PatternBytes(BigSize, 2);
    ino_t previousInode = 0;
    int pumpsOfBig = 0;
    RunHarness run;
};

} // namespace

TEST_F(SourceChangeTest, AFileRemovedWhileItIsCopiedIsCopiedWholeAsItWasOpened)
{
    WithPreviousCopy();
    WriteWithTime(big, current);
    RunChangingAtPump(5, [&] { ASSERT_EQ(::unlink(big.c_str()), 0); });

    EXPECT_GE(pumpsOfBig, 41) << "the copy went on to its end";
    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_TRUE(run.LogLines().empty());
    EXPECT_TRUE(ContentOf(bigCopy) == current) << "complete, and the content it had when it was opened";
    EXPECT_EQ(platform::FileStamp(bigCopy), platform::StampFromTime(SourceTime));
    EXPECT_TRUE(PartFilesBelow(dir / "backup").empty());
}

TEST_F(SourceChangeTest, AFileRemovedBeforeItsCopyIsLoggedAndItsPreviousCopyKept)
{
    WithPreviousCopy();
    WriteWithTime(big, current);
    MakeFolders(dir / "src/sub");
    WriteWithTime(dir / "src/sub/later.txt", "later");
    run.view.onPump = [&] {
        // A pump of the scan, after the large file was found.
        if (run.view.gaugePosition < 0 && run.fileCount >= 1 && Exists(big)) {
            ASSERT_EQ(::unlink(big.c_str()), 0);
        }
    };
    run.Run(dir / "src", dir / "backup");

    ASSERT_EQ(run.fileCount, 2);
    EXPECT_EQ(run.files[1], big);
    EXPECT_EQ(run.lastRunFailed, 1);
    const auto lines = run.LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].ends_with(" " + FileFailureText(run.text, big, bigCopy))) << lines[0];
    EXPECT_TRUE(ContentOf(bigCopy) == previous);
    EXPECT_EQ(InodeOf(bigCopy), previousInode);
    EXPECT_EQ(ReadFileBytes(copies + "sub/later.txt"), "later") << "the rest is copied";
    EXPECT_TRUE(PartFilesBelow(dir / "backup").empty());
    EXPECT_TRUE(run.Idle());
}

TEST_F(SourceChangeTest, AFileThatOnlyGrowsWhileItIsCopiedIsCopiedAsItWasOpenedAndTheRestNextRun)
{
    WithPreviousCopy();
    WriteWithTime(big, current);
    RunChangingAtPump(5, [&] { AppendBytes(big, PatternBytes(100000, 3)); });

    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_TRUE(run.LogLines().empty());
    EXPECT_TRUE(ContentOf(bigCopy) == current) << "its length and content when it was opened";
    EXPECT_EQ(platform::FileStamp(bigCopy), platform::StampFromTime(SourceTime));
    EXPECT_EQ(run.view.methodLabels, (std::vector<std::string> { "1 method" }));
    EXPECT_TRUE(PartFilesBelow(dir / "backup").empty());

    RunHarness next;
    next.Run(dir / "src", dir / "backup");
    EXPECT_TRUE(ContentOf(bigCopy) == ContentOf(big)) << "the next run takes the rest";
    EXPECT_FALSE(NeedsCopyByPaths(big, bigCopy));
}

TEST_F(SourceChangeTest, AFileThatKeepsGrowingFasterThanItIsCopiedDoesNotHoldTheRunForever)
{
    WithPreviousCopy();
    WriteWithTime(big, current);
    constexpr int Enough = 2000;
    run.view.onPump = [&] {
        if (run.view.gaugePosition != 1 || run.view.panels[3] != "1 method")
            return; // only while the block copy reads it
        if (++pumpsOfBig < Enough)
            AppendBytes(big, PatternBytes(64 * 1024, static_cast<unsigned>(pumpsOfBig)));
        else
            run.stopRequested = true; // the test's own way out, should the copy never end
    };
    run.Run(dir / "src", dir / "backup");

    EXPECT_LT(pumpsOfBig, 50) << "the block copy stops once it has read past the end it saw";
    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_TRUE(ContentOf(bigCopy) == current);
    EXPECT_TRUE(PartFilesBelow(dir / "backup").empty());
}

TEST_F(SourceChangeTest, AFirstCopyOfAFileRewrittenMeanwhileIsKeptAndCopiedAgainAtTheNextRun)
{
    WriteWithTime(big, current);
    RunChangingAtPump(10, [&] { WriteFileBytes(big, PatternBytes(BigSize, 4)); });

    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_TRUE(Exists(bigCopy)) << "with no previous copy to lose, the first copy is kept";
    EXPECT_TRUE(NeedsCopyByPaths(big, bigCopy)) << "with the stamp of the file as it was opened";

    RunHarness next;
    next.Run(dir / "src", dir / "backup");
    EXPECT_EQ(next.lastRunFailed, 0);
    EXPECT_TRUE(ContentOf(bigCopy) == ContentOf(big));
    EXPECT_FALSE(NeedsCopyByPaths(big, bigCopy));
    EXPECT_TRUE(PartFilesBelow(dir / "backup").empty());
}

TEST_F(SourceChangeTest, AFileRewrittenWhileItIsCopiedNeverReplacesThePreviousCopyWithAMix)
{
    WithPreviousCopy();
    WriteWithTime(big, current);
    const std::string rewritten = PatternBytes(BigSize, 4);
    // Rewritten in place, same size, as a program that saves over its file does.
    RunChangingAtPump(10, [&] { WriteFileBytes(big, rewritten); });

    EXPECT_EQ(run.lastRunFailed, 0);
    const std::string copy = ReadFileBytes(bigCopy);
    EXPECT_TRUE(copy == rewritten) << "the copy holds the old first blocks and the new last ones";
    EXPECT_FALSE(NeedsCopyByPaths(big, bigCopy));
    EXPECT_TRUE(PartFilesBelow(dir / "backup").empty());
}

TEST_F(SourceChangeTest, AFileCutShortWhileItIsCopiedIsCopiedAsItIsNow)
{
    WithPreviousCopy();
    WriteWithTime(big, current);
    RunChangingAtPump(5, [&] { ASSERT_EQ(::truncate(big.c_str(), static_cast<off_t>(BigSize / 2)), 0); });

    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_TRUE(ContentOf(bigCopy) == current.substr(0, BigSize / 2));
    EXPECT_FALSE(NeedsCopyByPaths(big, bigCopy));
    EXPECT_TRUE(PartFilesBelow(dir / "backup").empty());
}
