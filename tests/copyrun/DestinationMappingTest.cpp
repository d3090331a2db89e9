#include "CopyRunHarness.h"
#include "TempFolder.h"
#include "engine/CopyRun.h"
#include "engine/DestinationFolders.h"

#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(MapToDestination, PutsTheWholeSourcePathBelowTheRootAsStored)
{
    EXPECT_EQ(MapToDestination("/data/Sub/a.txt", "/backup"), "/backup/data/Sub/a.txt");
    EXPECT_EQ(MapToDestination("/data/Sub/a.txt", "/backup/"), "/backup//data/Sub/a.txt");
    // A Windows path drops its drive letter and colon, and nothing else.
    EXPECT_EQ(MapToDestination("C:\\Data\\a.txt", "E:\\Backup"), "E:\\Backup\\Data\\a.txt");
    EXPECT_EQ(MapToDestination("c:\\Data\\a.txt", "/backup"), "/backup\\Data\\a.txt");
    EXPECT_EQ(MapToDestination("C:/Data/a.txt", "/backup"), "/backup/Data/a.txt");
    EXPECT_EQ(MapToDestination("1:/a", "/backup"), "/backup1:/a");
    EXPECT_EQ(MapToDestination("Ω:/a", "/backup"), "/backupΩ:/a");
}

TEST(DestinationFolders, TheRootFolderPartStandsForTheDrive)
{
    EXPECT_EQ(RootFolderPartOf("/backup"), "/");
    EXPECT_EQ(RootFolderPartOf("/backup/"), "/backup/");
    // A colon in a Linux name is part of the name, not a drive.
    EXPECT_EQ(RootFolderPartOf("/media/usb/Backup 10:30"), "/media/usb/");
    EXPECT_EQ(RootFolderPartOf("E:\\Backup"), "E:\\");
    EXPECT_EQ(RootFolderPartOf("E:\\Backup\\"), "E:\\Backup\\");
    EXPECT_EQ(RootFolderPartOf("E:"), "E:");
    EXPECT_EQ(RootFolderPartOf("Backup"), "");
    EXPECT_EQ(FolderPartOf("/backup/data/a.txt"), "/backup/data/");
    EXPECT_EQ(FolderPartOf("/backup/data/10:30 notes.txt"), "/backup/data/");
    EXPECT_EQ(NameOf("/backup/data/a.txt"), "a.txt");
}

TEST(DestinationFolders, CreatesTheRootAndBelowButNeverTheDriveOrAbove)
{
    TempFolder dir;
    UnreachableFolder failure;
    {
        DestinationFolders folders(dir / "Backup");
        folders.Prepare(dir / "Backup/data/Sub/", failure);
        EXPECT_TRUE(platform::IsFolder(dir / "Backup/data/Sub/"));
        EXPECT_TRUE(folders.RootFolderExists());
        folders.Prepare(dir / "Backup/data/Sub/Deeper/", failure);
        EXPECT_TRUE(platform::IsFolder(dir / "Backup/data/Sub/Deeper/"));
    }
    {
        DestinationFolders folders(dir / "nodrive/Backup");
        folders.Prepare(dir / "nodrive/Backup/data/", failure);
        EXPECT_FALSE(Exists(dir / "nodrive"));
        EXPECT_FALSE(folders.RootFolderExists());
    }
    {
        // With a trailing "/" the root itself is the drive.
        DestinationFolders folders(dir / "Absent/");
        folders.Prepare(dir / "Absent//data/", failure);
        EXPECT_FALSE(Exists(dir / "Absent"));
        EXPECT_FALSE(folders.RootFolderExists());
    }
    {
        // A drive that goes away in the middle of a run is noticed at the next folder, or once a copy into
        // the folder that is open fails and it is prepared again.
        MakeFolders(dir / "usb");
        DestinationFolders folders(dir / "usb/Backup");
        folders.Prepare(dir / "usb/Backup/data/", failure);
        EXPECT_TRUE(folders.RootFolderExists());
        std::filesystem::remove_all(dir / "usb");
        folders.Prepare(dir / "usb/Backup/other/", failure);
        EXPECT_FALSE(folders.RootFolderExists());
        MakeFolders(dir / "usb/Backup/data");
        folders.PrepareAgain();
        folders.Prepare(dir / "usb/Backup/data/", failure);
        EXPECT_TRUE(folders.RootFolderExists());
        std::filesystem::remove_all(dir / "usb");
        folders.PrepareAgain();
        folders.Prepare(dir / "usb/Backup/data/", failure);
        EXPECT_FALSE(folders.RootFolderExists());
        EXPECT_FALSE(Exists(dir / "usb"));
    }
}
