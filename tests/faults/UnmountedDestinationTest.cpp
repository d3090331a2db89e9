// A destination on a disk that is not mounted: its mount point is an empty folder of the system disk.
#include "FaultHarness.h"
#include "SystemSeams.h"

#include "engine/DestinationMount.h"
#include "platform/MountTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

// A run with a file-system table of the test's own and a folder of its own for removable media.
class UnmountedDestinationTest : public testing::Test {
protected:
    void SetUp() override
    {
        MakeFolders(dir / "src/sub");
        WriteWithTime(dir / "src/a.txt", "a");
        WriteWithTime(dir / "src/sub/b.txt", "b");
        MakeFolders(dir / "media");
        SystemSeams::SetRemovableMediaFolders(std::vector<std::string> { dir / "media" });
        SystemSeams::SetFileSystemTablePath(dir / "fstab");
        WriteFileBytes(dir / "fstab",
            "# <file system> <mount point> <type> <options> <dump> <pass>\n"
            "UUID=1111-2222 / ext4 errors=remount-ro 0 1\n"
            "/dev/sdb2 none swap sw 0 0\n"
            "/dev/sdz1 "
                + (dir / "elsewhere") + " ext4 noauto 0 2\n");
    }
    void TearDown() override
    {
        SystemSeams::SetRemovableMediaFolders(std::nullopt);
        SystemSeams::SetFileSystemTablePath("");
    }

    void ListInTable(const std::string& mountPoint)
    {
        AppendBytes(dir / "fstab", "LABEL=Backup " + mountPoint + " ext4 noauto,nofail 0 2\n");
    }

    // The run ended at its first file like one to a missing drive: one abort line, nothing copied.
    void ExpectAbortedLikeAMissingDrive(const RunHarness& run)
    {
        EXPECT_EQ(run.lastRunFailed, 1);
        const auto lines = run.LogLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_TRUE(IsEmptyAbortLine(lines[0])) << "[" << lines[0] << "]";
        EXPECT_EQ(run.view.gaugePosition, 1);
        EXPECT_TRUE(run.view.methodLabels.empty());
        EXPECT_TRUE(run.view.reportedErrors.empty());
        EXPECT_TRUE(run.Idle());
    }

    TempFolder dir;
};

} // namespace

TEST(FileSystemTable, GivesTheMountPointsOfItsEntriesButNotSwap)
{
    const std::string table = "# /etc/fstab: static file system information.\n"
                              "\n"
                              "UUID=1 /               ext4    errors=remount-ro 0       1\n"
                              "  # /home was on /dev/sda3 during installation\n"
                              "UUID=2 /home ext4 defaults 0 2\n"
                              "UUID=3 none swap sw 0 0\n"
                              "/dev/sdb1\t/media/usb0\tauto\trw,user,noauto\t0\t0\n"
                              "LABEL=My\\040Disk /mnt/My\\040Disk ext4 noauto 0 0\n"
                              "/swapfile swap swap defaults 0 0\n"
                              "proc /proc proc defaults\n"
                              "broken-line-without-a-point\n";
    EXPECT_EQ(platform::ParseFileSystemTable(table),
        (std::vector<std::string> { "/", "/home", "/media/usb0", "/mnt/My Disk", "/proc" }));
}

TEST(KernelMountTable, GivesTheFolderOfEveryMount)
{
    const std::string table = "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
                              "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3 /dev/root rw,errors=continue\n"
                              "40 27 0:50 / /media/ana/My\\040Disk rw - vfat /dev/sdb1 rw\n";
    EXPECT_EQ(platform::ParseMountInfo(table), (std::set<std::string> { "/", "/mnt/parent", "/media/ana/My Disk" }));
    // The table comes from /proc, so /proc is listed; "/" need not be: a chroot into a folder that is no
    // mount point does not list it.
    const auto now = platform::CurrentMountPoints();
    ASSERT_TRUE(now.has_value());
    EXPECT_TRUE(now->contains("/proc"));
}

TEST(KernelMountTable, ListsADiskMountedNowUnderTheNameOfItsFolder)
{
    if (!RunningAsRoot())
        GTEST_SKIP() << NeedsRoot;
    TempFolder dir;
    // The kernel writes the blank, the tab and the backslash of a name as escapes.
    const std::string point = platform::ResolvedPath(dir / "My Disk\tA\\B");
    TmpfsMount disk(point, "1m");
    if (!disk.mounted())
        GTEST_SKIP() << TmpfsRefused;
    const auto now = platform::CurrentMountPoints();
    ASSERT_TRUE(now.has_value());
    EXPECT_TRUE(now->contains(point));
}

TEST(ResolvedPath, FollowsLinksAsFarAsThePathExistsAndKeepsTheRestAsWritten)
{
    TempFolder dir;
    const std::string real = platform::ResolvedPath(dir.path());
    MakeFolders(dir / "disk/inner");
    ASSERT_EQ(::symlink((dir / "disk").c_str(), (dir / "link").c_str()), 0);
    ASSERT_EQ(::symlink("disk/inner", (dir / "relative").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "gone/deeper").c_str(), (dir / "dangling").c_str()), 0);

    EXPECT_EQ(platform::ResolvedPath(dir / "link/Backup/x"), real + "/disk/Backup/x");
    EXPECT_EQ(platform::ResolvedPath(dir / "relative/../Backup"), real + "/disk/Backup");
    EXPECT_EQ(platform::ResolvedPath(dir / "dangling/Backup"), real + "/gone/deeper/Backup");
    EXPECT_EQ(platform::ResolvedPath(dir / "./disk//inner/./"), real + "/disk/inner");
    EXPECT_EQ(platform::ResolvedPath("/"), "/");
    char* cwd = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir((dir / "disk").c_str()), 0);
    EXPECT_EQ(platform::ResolvedPath("inner/Backup"), real + "/disk/inner/Backup");
    ASSERT_EQ(::chdir(cwd), 0);
    std::free(cwd);
}

TEST(RemovableMedia, AreLookedForWhereTheDesktopMountsThem)
{
    SystemSeams::SetRemovableMediaFolders(std::nullopt);
    EXPECT_EQ(RemovableMediaFolders(), (std::vector<std::string> { "/media", "/run/media" }));
}

TEST_F(UnmountedDestinationTest, AMountPointOfTheTableWithNothingMountedIsAMissingDrive)
{
    ListInTable(dir / "disk");
    MakeFolders(dir / "disk"); // the empty folder that an unplugged disk leaves behind
    RunHarness run;
    run.Run(dir / "src", dir / "disk/Backup");
    ExpectAbortedLikeAMissingDrive(run);
    EXPECT_TRUE(EntriesBelow(dir / "disk").empty()) << "nothing is written to the system disk";
}

TEST_F(UnmountedDestinationTest, SoIsAnyFolderBelowItAndTheMountPointItself)
{
    ListInTable(dir / "disk/");
    MakeFolders(dir / "disk/Backups/daily"); // left there by someone, on the system disk
    for (const std::string& root : { dir / "disk/Backups/daily/ana", dir / "disk", dir / "disk/" }) {
        SCOPED_TRACE(root);
        RunHarness run;
        run.Run(dir / "src", root);
        ExpectAbortedLikeAMissingDrive(run);
        EXPECT_EQ(EntriesBelow(dir / "disk"), (std::vector<std::string> { "Backups", "Backups/daily" }));
    }
}

TEST_F(UnmountedDestinationTest, AlsoWhenTheRootIsReachedThroughASymbolicLink)
{
    ListInTable(dir / "disk");
    MakeFolders(dir / "disk");
    ASSERT_EQ(::symlink((dir / "disk").c_str(), (dir / "backups").c_str()), 0);
    RunHarness run;
    run.Run(dir / "src", dir / "backups/Backup");
    ExpectAbortedLikeAMissingDrive(run);
    EXPECT_TRUE(EntriesBelow(dir / "disk").empty());
}

TEST_F(UnmountedDestinationTest, MountPointsOfTheTableThatTheRootIsNotBelowChangeNothing)
{
    ListInTable(dir / "elsewhere2");
    ListInTable(dir / "dis"); // a prefix of the root's folder by its letters, not by its folders
    MakeFolders(dir / "disk");
    RunHarness run;
    run.Run(dir / "src", dir / "disk/Backup");
    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_EQ(ReadFileBytes(dir / ("disk/Backup" + dir / "src/sub/b.txt")), "b");
}

TEST_F(UnmountedDestinationTest, TheDiskOnceMountedIsBackedUpToAndOnceUnmountedIsMissingAgain)
{
    if (!RunningAsRoot())
        GTEST_SKIP() << NeedsRoot;
    ListInTable(dir / "disk");
    const std::string copies = dir / ("disk/Backup" + dir / "src/");
    {
        TmpfsMount disk(dir / "disk", "4m");
        if (!disk.mounted())
            GTEST_SKIP() << TmpfsRefused;
        RunHarness run;
        run.Run(dir / "src", dir / "disk/Backup");
        EXPECT_EQ(run.lastRunFailed, 0);
        EXPECT_TRUE(run.LogLines().empty());
        EXPECT_EQ(ReadFileBytes(copies + "a.txt"), "a");
        EXPECT_EQ(ReadFileBytes(copies + "sub/b.txt"), "b");
        ASSERT_TRUE(disk.Unmount());
    }
    RunHarness run;
    run.Run(dir / "src", dir / "disk/Backup");
    ExpectAbortedLikeAMissingDrive(run);
    EXPECT_TRUE(EntriesBelow(dir / "disk").empty());
}

TEST_F(UnmountedDestinationTest, ARemovableDiskWhoseLabelFolderIsNotMountedIsMissing)
{
    MakeFolders(dir / "media/ana/USB"); // left behind by the desktop, or made by hand
    RunHarness run;
    run.Run(dir / "src", dir / "media/ana/USB/Backup");
    ExpectAbortedLikeAMissingDrive(run);
    EXPECT_TRUE(EntriesBelow(dir / "media/ana/USB").empty());

    // The same with nothing of it left at all: the drive folder is missing, so the run aborts anyway.
    RunHarness gone;
    gone.Run(dir / "src", dir / "media/bob/Stick/Backup");
    ExpectAbortedLikeAMissingDrive(gone);
    EXPECT_FALSE(Exists(dir / "media/bob"));
}

TEST_F(UnmountedDestinationTest, ARemovableDiskThatIsMountedIsBackedUpTo)
{
    if (!RunningAsRoot())
        GTEST_SKIP() << NeedsRoot;
    // Both ways removable disks are mounted: /media/<user>/<label> and /media/<name>.
    for (const std::string& point : { dir / "media/ana/USB", dir / "media/usb" }) {
        SCOPED_TRACE(point);
        TmpfsMount disk(point, "4m");
        if (!disk.mounted())
            GTEST_SKIP() << TmpfsRefused;
        MakeFolders(point + "/Backup");
        RunHarness run;
        run.Run(dir / "src", point + "/Backup/daily");
        EXPECT_EQ(run.lastRunFailed, 0);
        EXPECT_EQ(ReadFileBytes(point + "/Backup/daily" + dir / "src/sub/b.txt"), "b");
    }
}

TEST_F(UnmountedDestinationTest, ADestinationOutsideEveryMountRuleIsLeftAlone)
{
    RunHarness run;
    run.Run(dir / "src", dir / "backup");
    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_EQ(ReadFileBytes(dir / ("backup" + dir / "src/a.txt")), "a");
    EXPECT_FALSE(DestinationMount(dir / "backup").Lost());
}
