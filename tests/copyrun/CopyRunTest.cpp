#include "CopyRunHarness.h"
#include "LoopFileSystem.h"
#include "TempFolder.h"
#include "engine/CopyMethods.h"
#include "engine/CopyRun.h"
#include "engine/DestinationFolders.h"
#include "engine/ErrorLog.h"
#include "engine/PartFile.h"
#include "platform/CaseFolding.h"
#include "platform/DosStamp.h"
#include "platform/Listing.h"
#include "platform/OpenFileLimit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/mount.h>
#include <sys/resource.h>
#include <tuple>
#include <sys/stat.h>
#include <utility>

using platform::FileStamp;

namespace {

// The files below folder, relative to it, that are not folders.
std::vector<std::string> FilesBelow(const std::string& folder)
{
    std::vector<std::string> files;
    if (!std::filesystem::exists(folder))
        return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (!entry.is_directory())
            files.push_back(std::filesystem::relative(entry.path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

// A source tree: src/a.txt, src/Sub/b.txt and an empty folder src/Empty.
struct SourceTree {
    explicit SourceTree(const TempFolder& dir) : root(dir / "src"), backup(dir / "backup")
    {
        MakeFolders(root + "/Sub");
        MakeFolders(root + "/Empty");
        WriteWithTime(root + "/a.txt", "alpha");
        WriteWithTime(root + "/Sub/b.txt", PatternBytes(100000), SourceTime + 10);
    }
    // Where a source file lands: its whole path below the backup root.
    std::string CopyOf(const std::string& relative) const { return backup + root + "/" + relative; }

    std::string root;
    std::string backup;
};

} // namespace

TEST(RunBackup, CopiesTheTreeBelowTheRootAndASecondRunCopiesNothing)
{
    TempFolder dir;
    SourceTree tree(dir);
    RunHarness run;
    RunBackup(run.ctx, tree.root, tree.backup);

    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_EQ(ReadFileBytes(tree.CopyOf("a.txt")), "alpha");
    EXPECT_EQ(ReadFileBytes(tree.CopyOf("Sub/b.txt")), PatternBytes(100000));
    EXPECT_EQ(FileStamp(tree.CopyOf("a.txt")), FileStamp(tree.root + "/a.txt"));
    EXPECT_EQ(FileStamp(tree.CopyOf("Sub/b.txt")), FileStamp(tree.root + "/Sub/b.txt"));
    EXPECT_FALSE(Exists(tree.CopyOf("Empty"))) << "folders without files are not created";
    EXPECT_EQ(FilesBelow(tree.backup).size(), 2u);
    EXPECT_EQ(run.view.gaugeMaximum, 2);
    EXPECT_EQ(run.view.gaugePositions, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(run.view.methodLabels, (std::vector<std::string>{"1 method", "1 method"}));
    EXPECT_TRUE(run.LogLines().empty());
    EXPECT_TRUE(run.Idle());

    const FileIdentity a = IdentityOf(tree.CopyOf("a.txt"));
    const FileIdentity b = IdentityOf(tree.CopyOf("Sub/b.txt"));
    RunHarness again;
    RunBackup(again.ctx, tree.root, tree.backup);
    EXPECT_EQ(again.lastRunFailed, 0);
    EXPECT_TRUE(IdentityOf(tree.CopyOf("a.txt")) == a) << "an unchanged file must not be rewritten";
    EXPECT_TRUE(IdentityOf(tree.CopyOf("Sub/b.txt")) == b);
    EXPECT_TRUE(again.view.methodLabels.empty());
    EXPECT_EQ(again.view.pumps, 2 + 2 + 2) << "one pump per file found, per subfolder and per file handled";
    EXPECT_TRUE(again.Idle());
}


TEST(RunBackup, FoldersMadeForTheBackupLetInNobodyTheirSourceFoldersKeepOut)
{
    TempFolder dir; // private, as mkdtemp makes it
    const auto folderWithFile = [&](const std::string& folder, mode_t mode) {
        MakeFolders(dir / folder);
        WriteWithTime(dir / folder + "/f.txt", folder);
        ASSERT_EQ(::chmod((dir / folder).c_str(), mode), 0);
    };
    const auto backUp = [&](const std::string& source) {
        RunHarness run;
        RunBackup(run.ctx, dir / source, dir / "backup");
        EXPECT_EQ(run.lastRunFailed, 0) << source;
    };
    const auto modeOf = [&](const std::string& below) {
        struct stat info {};
        EXPECT_EQ(::stat((dir / "backup" + dir.path() + below).c_str(), &info), 0) << below;
        return std::tuple(info.st_mode & 07777, info.st_uid, info.st_gid);
    };
    const uid_t me = ::geteuid();
    const gid_t myGroup = ::getegid();
    for (const auto& [folder, mode] : {std::pair{"src/private", 0700}, {"src/shared", 0750}, {"src/readonly", 0555},
                                       {"src/sticky", 01777}})
        folderWithFile(folder, static_cast<mode_t>(mode));
    ASSERT_EQ(::chmod((dir / "src").c_str(), 0755), 0);
    if (RunningAsRoot()) {
        ASSERT_EQ(::chown((dir / "src/shared").c_str(), 1234, 1235), 0);
    }
    backUp("src");
    EXPECT_EQ(modeOf(""), std::tuple(0700u, me, myGroup)) << "the mirror of the private temporary folder";
    EXPECT_EQ(modeOf("src"), std::tuple(0755u, me, myGroup));
    EXPECT_EQ(modeOf("src/private"), std::tuple(0700u, me, myGroup));
    EXPECT_EQ(modeOf("src/shared"), RunningAsRoot() ? std::tuple(0750u, 1234u, 1235u) : std::tuple(0750u, me, myGroup));
    EXPECT_EQ(modeOf("src/readonly"), std::tuple(0755u, me, myGroup)) << "the owner may always write: the run fills it";
    EXPECT_EQ(modeOf("src/sticky"), std::tuple(01777u, me, myGroup)) << "each user's copies stay theirs to remove";

    // A source named through a link and ".." is read elsewhere than its spelling says, and where a link leads
    // out of a private folder the spelling is the private one: the folder made lets in what both let in.
    folderWithFile("real/hidden", 0700);
    folderWithFile("hidden", 0755);
    MakeFolders(dir / "real/deep");
    ASSERT_EQ(::symlink((dir / "real/deep").c_str(), (dir / "lnk").c_str()), 0);
    backUp("lnk/../hidden");
    EXPECT_EQ(ReadFileBytes(dir / "backup" + dir.path() + "hidden/f.txt"), "real/hidden");
    EXPECT_EQ(std::get<0>(modeOf("hidden")), 0700u);
    folderWithFile("public", 0755);
    MakeFolders(dir / "home");
    ASSERT_EQ(::chmod((dir / "home").c_str(), 0700), 0);
    ASSERT_EQ(::symlink((dir / "public").c_str(), (dir / "home/link").c_str()), 0);
    backUp("home/link");
    EXPECT_EQ(std::get<0>(modeOf("home")), 0700u);
    EXPECT_EQ(std::get<0>(modeOf("home/link")), 0755u);
}

TEST(RunBackup, EveryFileComesFromTheFolderItWasFoundInWhenNotAllFoldersCanStayOpen)
{
    TempFolder dir;
    const int folders = 100;
    for (int i = 0; i < folders; ++i) {
        MakeFolders(dir / ("src/f" + std::to_string(i)));
        WriteFileBytes(dir / ("src/f" + std::to_string(i) + "/same.txt"), std::to_string(i));
    }
    MakeFolders(dir / "secret");
    WriteFileBytes(dir / "secret/same.txt", "secret");
    // 256 open files let the scan keep 64 folders open; the copy opens the others again.
    platform::OpenFileLimit();
    rlimit limit {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlim_t saved = limit.rlim_cur;
    limit.rlim_cur = 256;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    RunHarness run;
    // Once the copy has begun, the folder of a kept file and that of the last file become links elsewhere.
    std::vector<std::string> swapped;
    run.view.onPump = [&] {
        if (run.view.gaugePosition != 1 || !swapped.empty())
            return;
        for (const int32_t number : {3, run.ctx.FileCount}) {
            const std::string folder = FolderPartOf(run.ctx.Files[number]);
            std::filesystem::rename(folder, folder.substr(0, folder.size() - 1) + "-moved");
            std::filesystem::create_directory_symlink(dir / "secret", folder.substr(0, folder.size() - 1));
            swapped.emplace_back(run.ctx.Files[number]);
        }
    };
    RunBackup(run.ctx, dir / "src", dir / "backup");
    limit.rlim_cur = saved;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);

    ASSERT_EQ(swapped.size(), 2u);
    EXPECT_EQ(run.LogLines().size(), 1u) << "the folder that became a link, reached again from its parent";
    for (int i = 0; i < folders; ++i) {
        const std::string source = dir / ("src/f" + std::to_string(i) + "/same.txt");
        if (source == swapped[1])
            EXPECT_FALSE(Exists(dir / "backup" + source));
        else
            EXPECT_EQ(ReadFileBytes(dir / "backup" + source), std::to_string(i)) << source;
    }
}

TEST(RunBackup, ReplacesACopyWhoseStampDiffersEvenWhenItIsNewer)
{
    TempFolder dir;
    SourceTree tree(dir);
    MakeFolders(tree.CopyOf("Sub"));
    WriteWithTime(tree.CopyOf("a.txt"), "edited in the backup later", SourceTime + 86400);
    WriteWithTime(tree.CopyOf("Sub/b.txt"), "older", EarlierTime);
    RunHarness run;
    RunBackup(run.ctx, tree.root, tree.backup);
    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_EQ(ReadFileBytes(tree.CopyOf("a.txt")), "alpha");
    EXPECT_EQ(FileStamp(tree.CopyOf("a.txt")), FileStamp(tree.root + "/a.txt"));
    EXPECT_EQ(ReadFileBytes(tree.CopyOf("Sub/b.txt")), PatternBytes(100000));
}

TEST(RunBackup, ARootEndingInASlashAndRootsWithAColonOrABackslashWork)
{
    TempFolder dir;
    SourceTree tree(dir);
    MakeFolders(tree.backup);
    RunHarness run;
    RunBackup(run.ctx, tree.root + "/", tree.backup + "/");
    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_EQ(ReadFileBytes(tree.CopyOf("a.txt")), "alpha");
    EXPECT_EQ(ReadFileBytes(tree.CopyOf("Sub/b.txt")), PatternBytes(100000));

    RunHarness colon;
    RunBackup(colon.ctx, tree.root, dir / "Backup 10:30");
    EXPECT_EQ(colon.lastRunFailed, 0);
    EXPECT_EQ(ReadFileBytes(dir / ("Backup 10:30" + tree.root + "/a.txt")), "alpha");

    // A backslash ends a name like any other character: no folder ends at it.
    std::filesystem::rename(tree.root, dir / "src\\");
    RunHarness backslash;
    RunBackup(backslash.ctx, dir / "src\\", dir / "bk\\");
    EXPECT_EQ(backslash.lastRunFailed, 0);
    EXPECT_EQ(FilesBelow(dir / "bk\\"), (std::vector<std::string>{(dir / "src\\/Sub/b.txt").substr(1),
                                                                   (dir / "src\\/a.txt").substr(1)}));
}

TEST(RunBackup, AReadOnlySourceIsCopiedByTheBlockCopy)
{
    TempFolder dir;
    MakeFolders(dir / "src");
    WriteFileBytes(dir / "src/locked.txt", "read only");
    ImmutableFlag locked(dir / "src/locked.txt");
    if (!locked.applied())
        GTEST_SKIP() << "the file system refuses the immutable flag here";
    RunHarness run;
    RunBackup(run.ctx, dir / "src", dir / "backup");
    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_EQ(ReadFileBytes(dir / ("backup" + dir / "src/locked.txt")), "read only");
    EXPECT_EQ(run.view.methodLabels, (std::vector<std::string>{"1 method"})) << "no source is opened for writing";
    EXPECT_TRUE(run.LogLines().empty());
}

TEST(RunBackup, StopDuringABlockCopyKeepsThePreviousCopyAndEndsTheRun)
{
    TempFolder dir;
    MakeFolders(dir / "src/Sub");
    const std::string big = dir / "src/big.bin";
    WriteFileBytes(big, PatternBytes(40 * CopyBlockSize, 7));
    WriteFileBytes(dir / "src/Sub/next.txt", "next");
    const std::string copy = dir / ("backup" + big);
    MakeFolders(FolderPartOf(copy));
    WriteWithTime(copy, "the previous good copy", EarlierTime);
    const FileIdentity before = IdentityOf(copy);

    RunHarness run;
    int blockPumps = 0;
    run.view.onPump = [&] {
        if (!run.view.methodLabels.empty() && ++blockPumps == 5)
            run.stopRequested = true;
    };
    RunBackup(run.ctx, dir / "src", dir / "backup");

    EXPECT_EQ(ReadFileBytes(copy), "the previous good copy");
    EXPECT_TRUE(IdentityOf(copy) == before);
    EXPECT_TRUE(PartFilesIn(FolderPartOf(copy)).empty());
    EXPECT_FALSE(Exists(dir / ("backup" + dir / "src/Sub/next.txt")));
    EXPECT_EQ(run.lastRunFailed, 0) << "a stopped run with no failure is clean";
    EXPECT_TRUE(run.LogLines().empty());
    EXPECT_TRUE(run.Idle());
}

TEST(RunBackup, StopDuringTheScanCopiesNothing)
{
    TempFolder dir;
    SourceTree tree(dir);
    RunHarness run;
    run.view.onPump = [&] { run.stopRequested = true; };
    RunBackup(run.ctx, tree.root, tree.backup);
    EXPECT_EQ(run.fileCount, 1);
    EXPECT_TRUE(FilesBelow(tree.backup).empty());
    EXPECT_TRUE(run.view.methodLabels.empty());
    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_TRUE(run.LogLines().empty());
    EXPECT_TRUE(run.Idle());
}

TEST(RunBackup, PartFilesLeftByAKilledRunAreRemoved)
{
    TempFolder dir;
    SourceTree tree(dir);
    // Up to date beside the files copied again: in listing order, some come before the first copy, some after.
    const std::vector<std::string> upToDate = {"d1", "d2", "d3", "d4", "d5", "d6"};
    for (const std::string& name : upToDate)
        WriteWithTime(tree.root + "/Sub/" + name, name);
    RunHarness first;
    RunBackup(first.ctx, tree.root, tree.backup);
    const FileIdentity d1 = IdentityOf(tree.CopyOf("Sub/d1"));
    // One for each file that is up to date, one for a file that changed since, one for a file not copied yet.
    for (const std::string& name : upToDate)
        WriteFileBytes(tree.CopyOf("Sub/" + PartFileNameFor(name)), "half");
    WriteFileBytes(tree.CopyOf("Sub/" + PartFileNameFor("b.txt")), "half");
    WriteFileBytes(tree.root + "/Sub/b.txt", "changed");
    WriteFileBytes(tree.CopyOf("Sub/" + PartFileNameFor("c.txt")), "half");
    WriteFileBytes(tree.root + "/Sub/c.txt", "new");

    RunHarness second;
    RunBackup(second.ctx, tree.root, tree.backup);
    EXPECT_EQ(second.lastRunFailed, 0);
    EXPECT_TRUE(IdentityOf(tree.CopyOf("Sub/d1")) == d1);
    EXPECT_EQ(ReadFileBytes(tree.CopyOf("Sub/b.txt")), "changed");
    EXPECT_EQ(FilesBelow(tree.backup).size(), 3u + upToDate.size());

    // A folder that cannot be made is no reason to look for leftovers in a folder beside it. Both ways
    // round, since the folder of the file before comes first in one of them.
    for (const auto& [before, beside] : {std::pair{"one", "two"}, std::pair{"two", "one"}}) {
        TempFolder other;
        const std::string src = other / "src";
        const std::string copies = other / ("backup" + src + "/");
        MakeFolders(src + "/" + before);
        MakeFolders(src + "/" + beside + "/mid/deeper");
        WriteFileBytes(src + "/" + before + "/f1", "f1");
        WriteFileBytes(src + "/" + beside + "/mid/deeper/f2", "f2");
        RunHarness made;
        RunBackup(made.ctx, src, other / "backup");
        std::filesystem::remove_all(copies + beside + "/mid/deeper");
        const std::string planted = copies + beside + "/" + PartFileNameFor("f1");
        WriteFileBytes(planted, "not a leftover of this folder");
        ImmutableFlag locked(copies + beside + "/mid");
        if (!locked.applied())
            GTEST_SKIP() << ImmutableFlagRefused;
        RunHarness refused;
        RunBackup(refused.ctx, src, other / "backup");
        EXPECT_EQ(refused.lastRunFailed, 1);
        EXPECT_TRUE(Exists(planted)) << before;
    }
}

TEST(RunBackup, FilesDatedOutsideTheDosYearsAreCopiedOnceWithTheirWholeTime)
{
    TempFolder dir;
    MakeFolders(dir / "src");
    const struct timespec before1980{86400, 500000000}; // 1970-01-02
    const struct timespec after2107{4357072800, 0};     // early in 2108
    for (const auto& [name, time] : {std::pair{"old.txt", before1980}, std::pair{"far.txt", after2107}}) {
        WriteFileBytes(dir / "src/" + name, name);
        const struct timespec times[2] = {time, time};
        ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "src/" + name).c_str(), times, 0), 0);
    }
    RunHarness first;
    RunBackup(first.ctx, dir / "src", dir / "backup");
    const std::string copies = dir / ("backup" + dir / "src/");
    EXPECT_EQ(IdentityOf(copies + "old.txt").modified.tv_sec, 86400);
    EXPECT_EQ(IdentityOf(copies + "far.txt").modified.tv_sec, after2107.tv_sec);
    RunHarness again;
    RunBackup(again.ctx, dir / "src", dir / "backup");
    EXPECT_TRUE(again.view.methodLabels.empty()) << "an unchanged file is copied once";
}

TEST(RunBackup, ADestinationRootOfSlashNamesTheSourcesThemselvesAndLeavesThemAlone)
{
    TempFolder dir;
    MakeFolders(dir / "src");
    MakeFolders(dir / "elsewhere");
    // No stamp, so only a comparison of the files themselves can tell that nothing needs copying.
    WriteFileBytes(dir / "src/setuid.bin", "original");
    ASSERT_EQ(::chmod((dir / "src/setuid.bin").c_str(), 04755), 0);
    const struct timespec times[2] = {{86400, 0}, {86400, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "src/setuid.bin").c_str(), times, 0), 0);
    ASSERT_EQ(::link((dir / "src/setuid.bin").c_str(), (dir / "elsewhere/second-name").c_str()), 0);
    const FileIdentity setuid = IdentityOf(dir / "src/setuid.bin");

    RunHarness run;
    RunBackup(run.ctx, dir / "src", "/");
    EXPECT_TRUE(IdentityOf(dir / "src/setuid.bin") == setuid) << "a source must never be replaced or retimed";
    EXPECT_EQ(PermissionsOf(dir / "src/setuid.bin"), 04755u);
    EXPECT_EQ(IdentityOf(dir / "elsewhere/second-name").inode, setuid.inode);
    EXPECT_TRUE(PartFilesIn(dir / "src").empty());
    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_TRUE(run.LogLines().empty());

    // A root that is the source folder itself, which the scan never enters, backs up nothing: a failure.
    RunHarness itself;
    RunBackup(itself.ctx, dir / "src", dir / "src");
    EXPECT_EQ(itself.lastRunFailed, 1);
    ASSERT_EQ(itself.LogLines().size(), 1u);
    EXPECT_NE(itself.LogLines()[0].find(dir / "src: File cannot be copied onto itself"), std::string::npos);
}

TEST(RunBackup, ASourceNamedLikeAPartFileIsInEveryBackup)
{
    TempFolder dir;
    MakeFolders(dir / "src");
    const std::string namedLikePart = PartFileNameFor("a.txt");
    WriteWithTime(dir / ("src/" + namedLikePart), "a real file");
    const std::string copies = dir / ("backup" + dir / "src/");
    FileIdentity firstCopy;
    for (int run = 1; run <= 4; ++run) {
        SCOPED_TRACE(run);
        WriteWithTime(dir / "src/a.txt", "version " + std::to_string(run), SourceTime + 10 * run);
        RunHarness harness;
        RunBackup(harness.ctx, dir / "src", dir / "backup");
        EXPECT_EQ(ReadFileBytes(copies + "a.txt"), "version " + std::to_string(run));
        ASSERT_TRUE(Exists(copies + namedLikePart));
        if (run == 1)
            firstCopy = IdentityOf(copies + namedLikePart);
        EXPECT_TRUE(IdentityOf(copies + namedLikePart) == firstCopy) << "neither removed nor copied again";
    }
}

TEST(RunBackup, ALinkIntoAVirtualFileSystemIsPassedOverNeverCopiedEmpty)
{
    if (!Exists("/proc/self/mounts"))
        GTEST_SKIP() << "no /proc here";
    TempFolder dir;
    MakeFolders(dir / "src");
    ASSERT_EQ(::symlink("/proc/self/mounts", (dir / "src/mtab").c_str()), 0);
    RunHarness run;
    RunBackup(run.ctx, dir / "src", dir / "backup");
    EXPECT_FALSE(Exists(dir / ("backup" + dir / "src/mtab")));
    EXPECT_EQ(run.lastRunFailed, 0);
    EXPECT_TRUE(run.LogLines().empty());
}

// A stick keeps no owner and few modes, and its times in steps: none of that may cost a copy, nor make
// an unchanged file look changed at the next run.
TEST(RunBackup, EachKindOfDiskKeepsItsCopiesAndAnUnchangedReRunCopiesNothing)
{
    // In a zone other than UTC, which the FUSE drivers take as they mount: FAT's keeps times in one zone and
    // reads them in another.
    struct InAthens {
        const std::string zone = std::getenv("TZ") ? std::getenv("TZ") : "UTC";
        InAthens()
        {
            ::setenv("TZ", "Europe/Athens", 1);
            ::tzset();
        }
        ~InAthens()
        {
            ::setenv("TZ", zone.c_str(), 1);
            ::tzset();
        }
    } inAthens;
    for (const auto kind : {LoopFileSystem::Kind::Ext4, LoopFileSystem::Kind::ExFat, LoopFileSystem::Kind::Fat}) {
        SCOPED_TRACE(LoopFileSystem::Name(kind));
        LoopFileSystem disk(kind);
        if (!disk.mounted()) {
            std::printf("skipped on %s: %s\n", LoopFileSystem::Name(kind).c_str(), disk.reason().c_str());
            continue;
        }
        TempFolder dir;
        SourceTree tree(dir);
        tree.backup = disk / "backup";
        WriteWithTime(tree.root + "/Sub/b.txt", PatternBytes(3 << 20), SourceTime + 10);
        RunHarness run;
        RunBackup(run.ctx, tree.root, tree.backup);
        EXPECT_EQ(run.lastRunFailed, 0);
        EXPECT_EQ(ReadFileBytes(tree.CopyOf("Sub/b.txt")), PatternBytes(3 << 20));
        EXPECT_EQ(ReadFileBytes(tree.CopyOf("a.txt")), "alpha");
        EXPECT_EQ(FileStamp(tree.CopyOf("a.txt")), FileStamp(tree.root + "/a.txt"));
        // Without unnamed files (FAT, exFAT) the first method still copies, by a part file that is gone after.
        EXPECT_EQ(run.view.methodLabels, std::vector<std::string>(2, "1 method"));
        EXPECT_EQ(FilesBelow(tree.backup).size(), 2u);

        ASSERT_TRUE(disk.Remount()) << disk.reason();
        RunHarness again;
        RunBackup(again.ctx, tree.root, tree.backup);
        EXPECT_EQ(again.lastRunFailed, 0);
        EXPECT_TRUE(again.view.methodLabels.empty()) << again.view.methodLabels.size() << " files copied again";
        std::printf("%s: %zu files copied, then %zu at an unchanged run\n", LoopFileSystem::Name(kind).c_str(),
                    run.view.methodLabels.size(), again.view.methodLabels.size());

        // A large copy replaced: the old one is held open until the new one has its name, and nothing of it
        // stays beside the new one.
        WriteWithTime(tree.root + "/Sub/b.txt", PatternBytes((5 << 20) + 17, 2), SourceTime + 20);
        RunHarness changed;
        RunBackup(changed.ctx, tree.root, tree.backup);
        EXPECT_EQ(changed.lastRunFailed, 0);
        EXPECT_TRUE(ReadFileBytes(tree.CopyOf("Sub/b.txt")) == PatternBytes((5 << 20) + 17, 2));
        EXPECT_EQ(FilesBelow(tree.backup).size(), 2u);
    }
}

TEST(RunBackup, NamesDifferingInCaseAreTwoCopiesWhereCaseCountsAndOneCopyAndAFailureOnACaseBlindDisk)
{
    TempFolder dir;
    MakeFolders(dir / "src/Dir");
    MakeFolders(dir / "src/dir");
    WriteFileBytes(dir / "src/A.txt", "upper");
    WriteFileBytes(dir / "src/a.txt", "lower, longer");
    WriteFileBytes(dir / "src/Dir/x.txt", "one");
    WriteFileBytes(dir / "src/dir/x.txt", "two, longer");
    WriteFileBytes(dir / "src/Έγγραφο.txt", "capital");
    WriteFileBytes(dir / "src/έγγραφο.txt", "small, longer");
    // Enough other names in the folder that the names placed are kept past a growth of their table.
    for (int k = 0; k < 70; ++k)
        WriteFileBytes(dir / ("src/other" + std::to_string(k)), "x");
    // Where letter case parts names, both are copies of their own at every run.
    const std::string copies = dir / ("backup" + dir / "src/");
    const auto everyNameKeepsItsCopy = [&](const std::string& xInDir, const std::string& xInOtherDir) {
        RunHarness run;
        RunBackup(run.ctx, dir / "src", dir / "backup");
        EXPECT_EQ(run.lastRunFailed, 0);
        EXPECT_EQ(ReadFileBytes(copies + "A.txt"), "upper");
        EXPECT_EQ(ReadFileBytes(copies + "a.txt"), "lower, longer");
        EXPECT_EQ(ReadFileBytes(copies + "Dir/x.txt"), xInDir);
        EXPECT_EQ(ReadFileBytes(copies + "dir/x.txt"), xInOtherDir);
        EXPECT_EQ(ReadFileBytes(copies + "έγγραφο.txt"), "small, longer");
    };
    for (int runs = 0; runs < 2; ++runs)
        everyNameKeepsItsCopy("one", "two, longer");
    // Two names of one file there (a backup deduplicated into hard links) are still two copies of their own,
    // in one folder or in two.
    for (const std::string& file : {dir / "src/Dir/x.txt", dir / "src/dir/x.txt", copies + "Dir/x.txt"})
        WriteWithTime(file, "same", SourceTime);
    for (const char* name : {"a.txt", "dir/x.txt"})
        ASSERT_EQ(::unlink((copies + name).c_str()), 0);
    ASSERT_EQ(::link((copies + "A.txt").c_str(), (copies + "a.txt").c_str()), 0);
    ASSERT_EQ(::link((copies + "Dir/x.txt").c_str(), (copies + "dir/x.txt").c_str()), 0);
    everyNameKeepsItsCopy("same", "same");
    // Unlike a folder mounted a second time in the backup: one folder reached by two paths, one name passed over.
    if (::mount((copies + "Dir").c_str(), (copies + "dir").c_str(), nullptr, MS_BIND, nullptr) != 0) {
        std::printf("bind mount refused (%s): a folder mounted twice is not tried\n", std::strerror(errno));
    } else {
        RunHarness twice;
        RunBackup(twice.ctx, dir / "src", dir / "backup");
        ::umount2((copies + "dir").c_str(), MNT_DETACH);
        EXPECT_EQ(twice.lastRunFailed, 1);
        const auto lines = twice.LogLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("x.txt: another file of this backup already has this name here"), std::string::npos);
    }
    LoopFileSystem disk(LoopFileSystem::Kind::ExFat);
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason();
    // Of each pair, the one the run comes to first keeps its copy; the other is a failure, a folder once.
    const auto inRunOrder = [](const RunHarness& run, const std::string& name) {
        std::vector<std::string> spellings;
        for (int32_t i = 1; i <= run.fileCount; ++i)
            if (platform::EqualIgnoringCase(NameOf(run.files[i]), name))
                spellings.emplace_back(run.files[i]);
        return spellings;
    };
    std::vector<std::string> names;
    for (int runs = 0; runs < 2; ++runs) {
        RunHarness run;
        RunBackup(run.ctx, dir / "src", disk / "backup");
        ASSERT_EQ(run.fileCount, 76);
        names = inRunOrder(run, "a.txt");
        const std::vector<std::string> inFolders = inRunOrder(run, "x.txt");
        const std::vector<std::string> greek = inRunOrder(run, "ΈΓΓΡΑΦΟ.TXT");
        ASSERT_EQ(names.size(), 2u);
        ASSERT_EQ(inFolders.size(), 2u);
        ASSERT_EQ(greek.size(), 2u);
        EXPECT_EQ(run.lastRunFailed, 1);
        const auto lines = run.LogLines();
        ASSERT_EQ(lines.size(), 3u);
        const std::string log = lines[0] + "\n" + lines[1] + "\n" + lines[2];
        for (const auto& second : {names[1], greek[1]})
            EXPECT_NE(log.find(FileFailureText(run.text, second, disk / ("backup" + second)) + ": "), std::string::npos)
                << log;
        EXPECT_EQ(ReadFileBytes(disk / ("backup" + greek[0])), ReadFileBytes(greek[0]));
        const std::string refused = disk / ("backup" + FolderPartOf(inFolders[1]));
        EXPECT_NE(log.find(refused.substr(0, refused.size() - 1) + ": another folder"), std::string::npos) << log;
        EXPECT_EQ(ReadFileBytes(disk / ("backup" + names[0])), ReadFileBytes(names[0]));
        EXPECT_EQ(ReadFileBytes(disk / ("backup" + inFolders[0])), ReadFileBytes(inFolders[0]));
    }
    // An old copy under the second spelling is replaced by the first one's copy: a listing of the folder
    // taken before that must not make the second spelling a name of its own.
    const std::string fresh = disk / "fresh";
    MakeFolders(fresh + FolderPartOf(names[1]));
    WriteFileBytes(fresh + names[1], ReadFileBytes(names[1]));
    RunHarness run;
    RunBackup(run.ctx, dir / "src", fresh);
    const auto lines = run.LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE((lines[0] + lines[1] + lines[2]).find(FileFailureText(run.text, names[1], fresh + names[1])),
              std::string::npos);
    EXPECT_EQ(ReadFileBytes(fresh + names[0]), ReadFileBytes(names[0]));
}
