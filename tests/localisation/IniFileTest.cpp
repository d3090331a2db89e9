#include "ImmutableFlag.h"
#include "TempFolder.h"
#include "localisation/IniFile.h"
#include "platform/Error.h"
#include "platform/Listing.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// The message of the Error that write throws, or "" when it throws none.
std::string WriteFailure(const std::string& path, const std::string& key, const std::string& value)
{
    try {
        WriteIniString(path, "Language", key, value);
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(IniFile, AMissingFileIsCreatedAndEveryWriteReachesIt)
{
    TempFolder dir;
    const std::string path = dir / "Dupliqa.ini";
    EXPECT_EQ(ReadIniString(path, "Language", "Language", "English  "), "English");
    EXPECT_FALSE(platform::PathExists(path));

    WriteIniString(path, "Language", "Language", "English");
    EXPECT_EQ(ReadFileBytes(path), "[Language]\r\nLanguage=English\r\n");
    WriteIniString(path, "language", "Other", "\xC1\xE8");
    EXPECT_EQ(ReadFileBytes(path), "[Language]\r\nLanguage=English\r\nOther=\xC1\xE8\r\n");
    WriteIniString(path, "Language", "LANGUAGE", "");
    EXPECT_EQ(ReadFileBytes(path), "[Language]\r\nLanguage=\r\nOther=\xC1\xE8\r\n");
    EXPECT_EQ(ReadIniString(path, "Language", "Language", "English"), "");
    EXPECT_EQ(ReadIniString(path, "Language", "other", ""), "\xC1\xE8");
    // The file's own bytes outside the written line stay, line ends aside.
    WriteFileBytes(path, "; kept\n[Language]\nLanguage=x\n");
    WriteIniString(path, "Language", "Language", "y");
    EXPECT_EQ(ReadFileBytes(path), "; kept\r\n[Language]\r\nLanguage=y\r\n");
    EXPECT_EQ(platform::FindFilesBySuffix(dir.path(), ".dupliqa-new").size(), 0u);
}

TEST(IniFile, WhatIsNoRegularFileReadsAsEmptyAndCannotBeWritten)
{
    TempFolder dir;
    const std::string folder = dir / "folder.ini";
    MakeFolders(folder);
    EXPECT_EQ(ReadIniString(folder, "Language", "k", "d"), "d");
    EXPECT_EQ(WriteFailure(folder, "k", "v"), "Unable to write to " + folder);
    EXPECT_TRUE(platform::IsFolder(folder));

    // A fifo would block a reader for ever; it is neither opened nor replaced.
    const std::string fifo = dir / "fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_EQ(ReadIniString(fifo, "Language", "k", "d"), "d");
    EXPECT_EQ(WriteFailure(fifo, "k", "v"), "Unable to write to " + fifo);
    struct stat info {};
    ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    const std::string inMissingFolder = dir / "missing/Dupliqa.ini";
    EXPECT_EQ(WriteFailure(inMissingFolder, "k", "v"), "Unable to write to " + inMissingFolder);
}

TEST(IniFile, AProtectedFileIsRefusedAndALinkIsWrittenThrough)
{
    TempFolder dir;
    const std::string path = dir / "Dupliqa.ini";
    WriteFileBytes(path, "[Language]\r\nLanguage=Greek\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(WriteFailure(path, "Language", "English"), "Cannot create file " + path); // root too
    EXPECT_EQ(ReadFileBytes(path), "[Language]\r\nLanguage=Greek\r\n");

    const std::string link = dir / "English.Lang";
    ASSERT_EQ(::symlink("shared.Lang", link.c_str()), 0);
    WriteIniString(link, "Language", "Mrun", "Run");
    EXPECT_EQ(ReadFileBytes(dir / "shared.Lang"), "[Language]\r\nMrun=Run\r\n");
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST(IniFile, AnUnwritableFileOrFolderFailsTheWriteAndKeepsTheContent)
{
    TempFolder dir;
    const std::string path = dir / "English.Lang";
    const std::string before = "[Language]\r\nk=old\r\n";
    WriteFileBytes(path, before);
    {
        ImmutableFlag frozen(path);
        if (!frozen.applied())
            GTEST_SKIP() << ImmutableFlagRefused;
        EXPECT_EQ(WriteFailure(path, "k", "new"), "Cannot create file " + path);
        // A write that would change nothing is not made, so it cannot fail.
        EXPECT_EQ(WriteFailure(path, "k", "old"), "");
        EXPECT_EQ(ReadIniString(path, "Language", "k", ""), "old");
    }
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(platform::FindFilesBySuffix(dir.path(), ".dupliqa-new").size(), 0u);

    ImmutableFlag frozenFolder(dir.path());
    if (!frozenFolder.applied())
        GTEST_SKIP() << ImmutableFlagRefused;
    // A folder that takes no new file still lets an existing file be rewritten.
    WriteIniString(path, "Language", "k", "new");
    EXPECT_EQ(ReadFileBytes(path), "[Language]\r\nk=new\r\n");
    const std::string missing = dir / "Dupliqa.ini";
    EXPECT_EQ(WriteFailure(missing, "Language", "English"), "Unable to write to " + missing);
    EXPECT_FALSE(platform::PathExists(missing));
}
