// The destination goes away in the middle of a run: its folder is removed, or its disk is unmounted.
#include "FaultHarness.h"
#include "SystemSeams.h"

#include "MainFrm/TMain.h"
#include "engine/ErrorLog.h"
#include "engine/WriteBehind.h"
#include "TestSeams.h"

#include <QListWidget>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/mount.h>

namespace {

// A source tree of files in two levels, so that a run makes new folders after the ones it began with.
void MakeTree(const std::string& src, const std::string& content, std::time_t time)
{
    MakeFolders(src + "/one");
    MakeFolders(src + "/two");
    for (int i = 0; i < 5; ++i)
        WriteWithTime(src + "/f" + std::to_string(i), content + std::to_string(i), time);
    for (int i = 0; i < 3; ++i) {
        WriteWithTime(src + "/one/g" + std::to_string(i), content + "one" + std::to_string(i), time);
        WriteWithTime(src + "/two/h" + std::to_string(i), content + "two" + std::to_string(i), time);
    }
}

std::vector<std::string> SourcesInRunOrder(const RunHarness& run)
{
    std::vector<std::string> sources;
    for (int32_t i = 1; i <= run.fileCount; ++i)
        sources.emplace_back(run.files[i]);
    return sources;
}

// Counts the pumps at each file of the run, so that a test can act at the n-th pump of the k-th file.
struct PumpsPerFile {
    std::map<int, int> counts;
    int Count(const FakeRunView& view) { return ++counts[view.gaugePosition]; }
};

// A folder bound onto another (mount --bind) until Unmount() or the end of the guard; a disk whose content
// outlives the mount, so that a test can look at it afterwards.
class BindMount {
public:
    BindMount(const std::string& from, std::string onto)
        : m_onto(std::move(onto))
    {
        MakeFolders(from);
        MakeFolders(m_onto);
        m_mounted = ::mount(from.c_str(), m_onto.c_str(), nullptr, MS_BIND, nullptr) == 0;
    }
    ~BindMount() { Unmount(); }
    BindMount(const BindMount&) = delete;
    BindMount& operator=(const BindMount&) = delete;
    bool mounted() const { return m_mounted; }
    bool Unmount()
    {
        if (m_mounted)
            m_mounted = ::umount2(m_onto.c_str(), MNT_DETACH) != 0;
        return !m_mounted;
    }

private:
    std::string m_onto;
    bool m_mounted = false;
};

} // namespace

TEST(DestinationFolderRemoved, AFolderRemovedInTheMiddleOfACopyIsMadeAgainAndNothingIsLogged)
{
    TempFolder dir;
    MakeTree(dir / "src", "old", OldTime);
    RunHarness first;
    first.Run(dir / "src", dir / "backup");
    ASSERT_EQ(first.lastRunFailed, 0);

    MakeTree(dir / "src", "new", SourceTime);
    RunHarness run;
    PumpsPerFile pumps;
    bool removed = false;
    run.view.onPump = [&] {
        // The first pump of the fourth file comes inside its block copy, with its part file already made.
        if (run.view.gaugePosition == 4 && pumps.Count(run.view) == 1) {
            std::filesystem::remove_all(dir / "backup");
            removed = true;
        }
    };
    run.Run(dir / "src", dir / "backup");

    ASSERT_TRUE(removed);
    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_TRUE(run.LogLines().empty());
    const std::vector<std::string> sources = SourcesInRunOrder(run);
    ASSERT_EQ(sources.size(), 11u);
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::string copy = dir / "backup" + sources[i];
        if (i < 3)
            EXPECT_FALSE(Exists(copy)) << "removed with its folder: " << copy;
        else
            EXPECT_TRUE(ContentOf(copy) == ContentOf(sources[i])) << copy;
    }
    EXPECT_TRUE(PartFilesBelow(dir / "backup").empty());
    EXPECT_TRUE(run.Idle());

    // The next run puts back what the removal took.
    RunHarness next;
    next.Run(dir / "src", dir / "backup");
    EXPECT_EQ(next.lastRunFailed, 0);
    for (const std::string& source : sources)
        EXPECT_EQ(ReadFileBytes(dir / "backup" + source), ReadFileBytes(source)) << source;
}

TEST(DestinationFolderRemoved, ADriveFolderRemovedInTheMiddleEndsTheRunWithOneLine)
{
    TempFolder dir;
    MakeTree(dir / "src", "old", OldTime);
    MakeFolders(dir / "drive");
    RunHarness run;
    run.view.onPump = [&] {
        if (run.view.gaugePosition == 3)
            std::filesystem::remove_all(dir / "drive");
    };
    run.Run(dir / "src", dir / "drive/Backup");

    EXPECT_EQ(run.lastRunFailed, 1);
    const auto lines = run.LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(IsEmptyAbortLine(lines.back())) << "[" << lines.back() << "]";
    EXPECT_LE(lines.size(), 2u) << "at most the file being copied, then the abort";
    EXPECT_FALSE(Exists(dir / "drive")) << "the folder that stands for the drive is never made";
    EXPECT_TRUE(run.Idle());
}

TEST(DestinationFolderRemoved, InTheMiddleOfARunOfTheMainWindow)
{
    TempFolder dir;
    SystemSeams::SetExeFolder(dir.path());
    TestSeams::ClearBoxHistory();
    TestSeams::SetUnattendedBoxes(true);
    MakeFolders(dir / "src");
    constexpr int FileCount = 300;
    for (int i = 0; i < FileCount; ++i)
        WriteWithTime(dir / ("src/f" + std::to_string(i)), PatternBytes(20000, static_cast<unsigned>(i)), SourceTime);
    MakeFolders(dir / "drive");
    WriteFileBytes(dir / "Items.txt", "P;" + (dir / "src") + ";" + (dir / "drive/backup") + ";180\r\n");
    const std::string copies = dir / ("drive/backup" + dir / "src/");

    auto main = std::make_unique<TMain>();
    main->Timer1->stop();
    main->Timer3->stop();
    main->FormCreate();
    main->ListView1->setCurrentRow(0);

    // Watches the destination from the window's own event loop, as another program would act meanwhile.
    bool removed = false;
    QTimer remover;
    QObject::connect(&remover, &QTimer::timeout, [&] {
        std::error_code ignored;
        size_t copied = 0;
        for (auto it = std::filesystem::directory_iterator(copies, ignored);
             !ignored && it != std::filesystem::directory_iterator(); it.increment(ignored))
            ++copied;
        if (copied >= 5) {
            std::filesystem::remove_all(dir / "drive/backup", ignored);
            removed = true;
            remover.stop();
        }
    });
    remover.start(0);
    main->ToolButton12->click();
    remover.stop();

    ASSERT_TRUE(removed) << "the run ended before the folder could be removed";
    EXPECT_EQ(main->ItemImage(0), 0) << "a removed folder is made again, so no file failed";
    EXPECT_FALSE(Exists(dir / "Error.log"));
    EXPECT_EQ(main->RunButtonImage(), 3);
    EXPECT_TRUE(TestSeams::BoxHistory().empty());
    size_t copied = 0;
    for (const auto& entry : std::filesystem::directory_iterator(copies)) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(ReadFileBytes(entry.path().string()), ReadFileBytes(dir / "src/" + name)) << name;
        ++copied;
    }
    EXPECT_GT(copied, 0u) << "the files after the removal were copied";
    EXPECT_LT(copied, static_cast<size_t>(FileCount)) << "the copies made before the removal went with it";

    // The window still answers: the next click runs again and completes the backup.
    main->ToolButton12->click();
    EXPECT_EQ(main->ItemImage(0), 0);
    size_t complete = 0;
    for (int i = 0; i < FileCount; ++i)
        complete += Exists(copies + "f" + std::to_string(i)) ? 1 : 0;
    EXPECT_EQ(complete, static_cast<size_t>(FileCount));
    main.reset();
    TestSeams::ClearBoxHistory();
}

TEST(DestinationDiskUnmounted, BetweenTwoFilesEndsTheRunAndWritesNothingUnderTheMountPoint)
{
    if (!RunningAsRoot())
        GTEST_SKIP() << NeedsRoot;
    TempFolder dir;
    TmpfsMount disk(dir / "disk", "16m");
    if (!disk.mounted())
        GTEST_SKIP() << TmpfsRefused;
    MakeTree(dir / "src", "old", OldTime);
    RunHarness first;
    first.Run(dir / "src", dir / "disk/Backup");
    ASSERT_EQ(first.lastRunFailed, 0);

    MakeTree(dir / "src", "new", SourceTime);
    RunHarness run;
    bool unmounted = false;
    run.view.onPump = [&] {
        if (run.view.gaugePosition == 3 && !unmounted)
            unmounted = disk.Unmount();
    };
    run.Run(dir / "src", dir / "disk/Backup");

    ASSERT_TRUE(unmounted);
    EXPECT_EQ(run.lastRunFailed, 1);
    const auto lines = run.LogLines();
    ASSERT_EQ(lines.size(), 1u) << "one abort line, no line per file";
    EXPECT_TRUE(IsEmptyAbortLine(lines[0])) << "[" << lines[0] << "]";
    EXPECT_TRUE(EntriesBelow(dir / "disk").empty()) << "nothing may go to the system disk under the mount point";
    EXPECT_TRUE(run.view.reportedErrors.empty());
    EXPECT_TRUE(run.Idle());
}

TEST(DestinationDiskUnmounted, DuringTheBlockCopyOfALargeFileKeepsTheDisksCopiesAndWritesNothingBelow)
{
    if (!RunningAsRoot())
        GTEST_SKIP() << NeedsRoot;
    TempFolder dir;
    BindMount disk(dir / "store", dir / "disk");
    if (!disk.mounted())
        GTEST_SKIP() << "the machine refuses a bind mount here";
    MakeFolders(dir / "src/sub");
    const std::string oldBig = PatternBytes(WriteBehind::Stretch, 1); // held open while its successor is made
    WriteWithTime(dir / "src/big.bin", oldBig, OldTime);
    WriteWithTime(dir / "src/sub/later.txt", "later, old", OldTime);
    RunHarness first;
    first.Run(dir / "src", dir / "disk/Backup");
    ASSERT_EQ(first.lastRunFailed, 0);
    const std::string stored = dir / ("store/Backup" + dir / "src/");
    ASSERT_TRUE(ContentOf(stored + "big.bin") == oldBig);

    WriteWithTime(dir / "src/big.bin", PatternBytes(3 << 20, 2), SourceTime);
    WriteWithTime(dir / "src/sub/later.txt", "later, new", SourceTime);
    RunHarness run;
    PumpsPerFile pumps;
    bool unmounted = false;
    run.view.onPump = [&] {
        if (run.view.gaugePosition == 1 && pumps.Count(run.view) == 10)
            unmounted = disk.Unmount();
    };
    run.Run(dir / "src", dir / "disk/Backup");

    ASSERT_TRUE(unmounted);
    EXPECT_EQ(run.lastRunFailed, 1);
    const auto lines = run.LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(IsEmptyAbortLine(lines[0])) << "[" << lines[0] << "]";
    EXPECT_TRUE(EntriesBelow(dir / "disk").empty()) << "nothing may go to the system disk under the mount point";
    // The copy that was under way was finished in its own folder on the disk, wherever that went.
    EXPECT_TRUE(ContentOf(stored + "big.bin") == ContentOf(dir / "src/big.bin")) << "whole, never mixed";
    EXPECT_EQ(ReadFileBytes(stored + "sub/later.txt"), "later, old") << "the run ended before this one";
    EXPECT_TRUE(PartFilesBelow(dir / "store").empty());
    EXPECT_TRUE(run.Idle());
}

TEST(DestinationDiskUnmounted, WhileTheBlockCopyFailsNoOtherMethodWritesUnderTheMountPoint)
{
    if (!RunningAsRoot())
        GTEST_SKIP() << NeedsRoot;
    TempFolder dir;
    BindMount disk(dir / "store", dir / "disk");
    if (!disk.mounted())
        GTEST_SKIP() << "the machine refuses a bind mount here";
    MakeFolders(dir / "src");
    const std::string oldBig = PatternBytes(WriteBehind::Stretch, 1); // held open while its successor is made
    WriteWithTime(dir / "src/big.bin", oldBig, OldTime);
    RunHarness first;
    first.Run(dir / "src", dir / "disk/Backup");
    ASSERT_EQ(first.lastRunFailed, 0);
    const std::string stored = dir / ("store/Backup" + dir / "src/");

    WriteWithTime(dir / "src/big.bin", PatternBytes(3 << 20, 2), SourceTime);
    RunHarness run;
    PumpsPerFile pumps;
    bool unmounted = false;
    run.view.onPump = [&] {
        // The disk goes, and the source is saved over meanwhile, so the block copy gives up on its copy.
        if (run.view.gaugePosition == 1 && pumps.Count(run.view) == 10) {
            unmounted = disk.Unmount();
            WriteFileBytes(dir / "src/big.bin", PatternBytes(3 << 20, 3));
        }
    };
    run.Run(dir / "src", dir / "disk/Backup");

    ASSERT_TRUE(unmounted);
    EXPECT_EQ(run.lastRunFailed, 1);
    const auto lines = run.LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(IsEmptyAbortLine(lines[0])) << "[" << lines[0] << "]";
    EXPECT_EQ(run.view.methodLabels, std::vector<std::string> { "1 method" }) << "no other method was tried";
    EXPECT_TRUE(run.ctx.Failures.destinationMissing && !run.ctx.Failures.aborted) << "told as between two files";
    EXPECT_TRUE(EntriesBelow(dir / "disk").empty()) << "nothing may go to the system disk under the mount point";
    EXPECT_TRUE(ContentOf(stored + "big.bin") == oldBig) << "the disk's previous copy is whole";
    EXPECT_TRUE(PartFilesBelow(dir / "store").empty());
    EXPECT_TRUE(run.Idle());
}
