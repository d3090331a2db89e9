#include "ChildProcess.h"
#include "ScanRun.h"
#include "SystemSeams.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <set>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

std::vector<std::string> Sorted(std::vector<std::string> paths)
{
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::string> Below(const std::string& root, std::vector<std::string> relativePaths)
{
    for (auto& path : relativePaths)
        path = root + path;
    return Sorted(relativePaths);
}

std::string Joined(const std::vector<std::string>& paths)
{
    std::string text;
    for (const auto& path : paths)
        text += path + "\n";
    return text;
}

std::vector<std::string> SplitJoined(const std::string& text)
{
    std::vector<std::string> paths;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        paths.push_back(line);
    return paths;
}

void MakeFiles(const std::string& root, const std::vector<std::string>& relativePaths)
{
    for (const auto& relative : relativePaths) {
        const std::string path = root + relative;
        MakeFolders(path.substr(0, path.rfind('/')));
        WriteFileBytes(path, relative);
    }
}

std::string WithoutTrailingSlash(std::string path)
{
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Depth first below root: in every folder its own files come before anything below its subfolders, and
// everything below one subfolder forms one unbroken run.
testing::AssertionResult IsDepthFirst(const std::vector<std::string>& paths, const std::string& root)
{
    std::set<std::string> folders;
    for (const auto& path : paths) {
        for (size_t slash = path.find('/', root.size() - 1); slash != std::string::npos;
             slash = path.find('/', slash + 1))
            folders.insert(path.substr(0, slash + 1));
    }
    for (const auto& folder : folders) {
        std::vector<size_t> below;
        std::vector<size_t> own;
        std::vector<size_t> deeper;
        for (size_t i = 0; i < paths.size(); ++i) {
            if (!paths[i].starts_with(folder))
                continue;
            below.push_back(i);
            (paths[i].find('/', folder.size()) == std::string::npos ? own : deeper).push_back(i);
        }
        if (below.back() - below.front() + 1 != below.size())
            return testing::AssertionFailure() << "the files below " << folder << " are not one unbroken run";
        if (!own.empty() && !deeper.empty() && own.back() > deeper.front())
            return testing::AssertionFailure() << "a file of " << folder << " comes after a file of its subfolders";
    }
    return testing::AssertionSuccess();
}

const std::vector<std::string> OrderTree = {
    "a.txt", "b.txt", "c.txt", "n1.txt", "n2.txt", "n3.txt", "n4.txt", "n5.txt",
    "s1/d.txt", "s1/e.txt", "s1/deep/f.txt", "s1/deep/deeper/g.txt", "s1/deep/h.txt",
    "s2/i.txt", "s2/x/y/j.txt", "s2/x/k.txt", "s3/l.txt", "s3/m.txt",
};

} // namespace

TEST(Scan, ListsFilesDepthFirstWithStatusBarAndAPumpPerFileFolderAndLinkWhateverTheTrailingSeparator)
{
    TempFolder temp;
    const std::string root = temp / "data/";
    MakeFiles(root, OrderTree);
    MakeFolders(root + "empty");
    for (const char* link : {"dead1", "dead2"})
        ASSERT_EQ(::symlink("missing", (root + link).c_str()), 0);

    ScanRun run;
    const auto paths = run.Scan(WithoutTrailingSlash(root));

    EXPECT_EQ(Sorted(paths), Below(root, OrderTree));
    EXPECT_TRUE(IsDepthFirst(paths, root));
    const int subfolders = 8; // s1, deep, deeper, s2, x, y, s3 and empty
    EXPECT_EQ(run.view.pumps, static_cast<int>(paths.size()) + subfolders + 2);
    std::vector<std::string> panelOneTexts;
    for (const auto& [panel, text] : run.view.panelTexts)
        if (panel == 1 && !text.empty())
            panelOneTexts.push_back(text);
    EXPECT_EQ(panelOneTexts, paths);
    ASSERT_GE(run.view.panelTexts.size(), 2u);
    const auto last = run.view.panelTexts.size() - 1;
    EXPECT_EQ(run.view.panelTexts[last - 1], std::make_pair(1, std::string()));
    EXPECT_EQ(run.view.panelTexts[last], std::make_pair(3, std::string()));
    EXPECT_FALSE(run.ctx.TableOverflowed);

    ScanRun withTrailingSeparator;
    EXPECT_EQ(withTrailingSeparator.Scan(root), paths);
}

TEST(Scan, TakesHiddenFilesAndLinkedFilesButEntersNoHiddenFolderLinkOrSpecialFile)
{
    TempFolder temp;
    const std::string root = temp / "data/";
    MakeFiles(root, {"a.txt", ".hidden", "s1/b.txt", ".git/config", ".cache/deep/c.txt"});
    ASSERT_EQ(::symlink("a.txt", (root + "link-to-file").c_str()), 0);
    ASSERT_EQ(::symlink("s1", (root + "link-to-folder").c_str()), 0);
    ASSERT_EQ(::symlink("..", (root + "s1/cycle").c_str()), 0);
    ASSERT_EQ(::symlink("missing", (root + "dangling").c_str()), 0);
    ASSERT_EQ(::mkfifo((root + "s1/pipe").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("s1/pipe", (root + "link-to-pipe").c_str()), 0);
    ASSERT_EQ(::mknod((root + "null-device").c_str(), S_IFCHR | 0644, makedev(1, 3)), 0);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const std::string socketPath = root + "socket";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    ScanRun run;
    const auto paths = run.Scan(root);
    ::close(listener);

    EXPECT_EQ(Sorted(paths), Below(root, {"a.txt", ".hidden", "s1/b.txt", "link-to-file"}));
}

TEST(Scan, NeverCollectsTheRunsOwnDestinationWhateverItsSpelling)
{
    TempFolder temp;
    const std::string root = temp / "data/";
    MakeFiles(root, {"a.txt", "backup/data/a.txt", "backup2/keep.txt", "sub/backup/keep-too.txt"});
    ASSERT_EQ(::symlink((root + "backup").c_str(), (temp / "alias").c_str()), 0);
    const std::vector<std::string> expected = {"a.txt", "backup2/keep.txt", "sub/backup/keep-too.txt"};

    for (const std::string& excluded : {root + "backup", root + "backup/", root + "./backup//", temp / "alias"}) {
        ScanRun run;
        run.ctx.ExcludedFolder = excluded;
        EXPECT_EQ(Sorted(run.Scan(root)), Below(root, expected)) << "excluded " << excluded;
    }

    ScanRun sourceIsDestination;
    sourceIsDestination.ctx.ExcludedFolder = WithoutTrailingSlash(root);
    EXPECT_TRUE(sourceIsDestination.Scan(root).empty());

    ScanRun notYetCreated;
    notYetCreated.ctx.ExcludedFolder = root + "not-yet";
    EXPECT_EQ(notYetCreated.Scan(root).size(), 4u);
}

TEST(Scan, SkipsAFolderThatCannotBeListedAndGoesOn)
{
    TempFolder temp;
    const std::string root = temp / "data/";
    MakeFiles(root, {"open/a.txt", "closed/secret.txt", "closed/inner/deep.txt", "z.txt"});
    ASSERT_EQ(::chmod(temp.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod((root + "closed").c_str(), 0700), 0);

    const ChildOutcome outcome = RunInChild([&]() -> std::optional<std::string> {
        if (!BecomeNobody())
            return std::nullopt;
        ScanRun whole;
        ScanRun closedOnly;
        return Joined(whole.Scan(root)) + "--\n" + Joined(closedOnly.Scan(root + "closed"));
    });
    if (outcome.refused)
        GTEST_SKIP() << "the machine does not let this test switch to user nobody, the only way to deny root a listing";
    ASSERT_TRUE(outcome.completed);

    const auto lines = SplitJoined(outcome.output);
    const auto separator = std::find(lines.begin(), lines.end(), "--");
    ASSERT_NE(separator, lines.end());
    EXPECT_EQ(Sorted({lines.begin(), separator}), Below(root, {"open/a.txt", "z.txt"}));
    EXPECT_EQ(separator + 1, lines.end()) << "an unreadable source gives nothing";
}

TEST(Scan, NeverEntersTheKernelsVirtualFileSystems)
{
    for (const char* folder : {"/proc", "/sys/", "/proc/self"}) {
        ScanRun run;
        SystemSeams::SetFileTableCapacity(run.files, 10);
        EXPECT_TRUE(run.Scan(folder).empty()) << folder;
        EXPECT_FALSE(run.ctx.TableOverflowed) << folder;
    }

    TempFolder temp;
    const std::string root = temp / "data/";
    MakeFiles(root, {"a.txt"});
    MakeFolders(root + "sub/proc");
    MakeFolders(root + "sys");
    MakeFolders(root + "ram");

    // Mounted in a mount namespace of the child's own, so nothing stays mounted whatever happens to the test.
    const ChildOutcome outcome = RunInChild([&]() -> std::optional<std::string> {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return std::nullopt;
        if (::mount("proc", (root + "sub/proc").c_str(), "proc", 0, nullptr) != 0
            || ::mount("sysfs", (root + "sys").c_str(), "sysfs", 0, nullptr) != 0
            || ::mount("tmpfs", (root + "ram").c_str(), "tmpfs", 0, nullptr) != 0)
            return std::nullopt;
        WriteFileBytes(root + "ram/r.txt", "on tmpfs");
        ScanRun run;
        SystemSeams::SetFileTableCapacity(run.files, 1000);
        return Joined(run.Scan(root));
    });
    if (outcome.refused)
        GTEST_SKIP() << "the machine does not let this test mount proc, sysfs and tmpfs in a namespace of its own";
    ASSERT_TRUE(outcome.completed);
    EXPECT_EQ(Sorted(SplitJoined(outcome.output)), Below(root, {"a.txt", "ram/r.txt"}));
}

TEST(Scan, StopRequestedInsideThePumpEndsEveryPass)
{
    TempFolder temp;
    const std::string root = temp / "data/";
    MakeFiles(root, {"a.txt", "b.txt", "c.txt", "s1/d.txt", "s1/e.txt", "s1/deep/f.txt", "s2/g.txt", "s2/h.txt"});

    for (int stopAfter : {1, 2, 4, 5, 8}) {
        ScanRun run;
        int32_t foundAtStop = -1;
        run.view.onPump = [&] {
            if (run.view.pumps != stopAfter)
                return;
            run.stopRequested = true;
            foundAtStop = run.ctx.FileCount;
        };
        const auto paths = run.Scan(root);
        EXPECT_EQ(static_cast<int32_t>(paths.size()), foundAtStop) << "stop after " << stopAfter;
        EXPECT_EQ(run.view.pumps, stopAfter);
        EXPECT_TRUE(IsDepthFirst(paths, root));
        for (size_t n = 0; n < std::min<size_t>(paths.size(), 3); ++n)
            EXPECT_EQ(paths[n].find('/', root.size()), std::string::npos) << paths[n];
    }

    ScanRun stoppedBefore;
    stoppedBefore.stopRequested = true;
    EXPECT_TRUE(stoppedBefore.Scan(root).empty());
    EXPECT_EQ(stoppedBefore.view.pumps, 0);
}

TEST(Scan, MissingEmptyOrNonFolderSourcesFindNothing)
{
    TempFolder temp;
    MakeFiles(temp.path(), {"file.txt"});
    ASSERT_EQ(::mkfifo((temp / "pipe").c_str(), 0644), 0);

    for (const std::string& folder : {temp / "missing", temp / "missing/", temp / "file.txt", temp / "pipe",
                                      std::string()}) {
        ScanRun run;
        // A scan that wrongly read "" as "/" would fill this small table at once.
        SystemSeams::SetFileTableCapacity(run.files, 5);
        EXPECT_TRUE(run.Scan(folder).empty()) << "'" << folder << "'";
        EXPECT_FALSE(run.ctx.TableOverflowed) << "'" << folder << "'";
        EXPECT_EQ(run.view.pumps, 0);
    }
}

TEST(Scan, StopsAtAFullTableAndSaysSo)
{
    TempFolder temp;
    const std::string exact = temp / "exact/";
    const std::string more = temp / "more/";
    MakeFiles(exact, {"a.txt", "b.txt", "sub/c.txt"});
    MakeFiles(more, {"a.txt", "b.txt", "sub/c.txt", "sub/d.txt", "other/e.txt"});

    ScanRun fits;
    SystemSeams::SetFileTableCapacity(fits.files, 3);
    EXPECT_EQ(fits.Scan(exact).size(), 3u);
    EXPECT_FALSE(fits.ctx.TableOverflowed) << "a tree that fills the table exactly has not overflowed it";

    ScanRun overflows;
    SystemSeams::SetFileTableCapacity(overflows.files, 3);
    int pumpsOnceFull = 0;
    overflows.view.onPump = [&] { pumpsOnceFull += overflows.ctx.TableOverflowed ? 1 : 0; };
    const auto paths = overflows.Scan(more);
    EXPECT_EQ(paths.size(), 3u);
    EXPECT_TRUE(overflows.ctx.TableOverflowed);
    EXPECT_EQ(pumpsOnceFull, 0);
    EXPECT_TRUE(IsDepthFirst(paths, more));
}

TEST(FileTable, KeepsEveryPathAcrossItsBlocksAndIsRefilledFromTheStart)
{
    // Lengths that make entries end near and across the 2 MiB blocks, and one path longer than a block.
    const auto pathOf = [](int32_t n, size_t step) { return std::string(n * step % 4099 + 1, char('a' + n % 26)); };
    FileTable table;
    std::vector<std::string> first;
    for (int32_t n = 1; n <= 5000; ++n) {
        first.push_back(n == 700 ? std::string(size_t{3} << 20, 'x') : pathOf(n, 7));
        const std::string_view path = first.back();
        const size_t folder = std::min<size_t>(n % 9, path.size());
        ASSERT_EQ(table.Put(n, path.substr(0, folder), path.substr(folder)), path);
    }
    for (int32_t n = 1; n <= 5000; ++n)
        ASSERT_EQ(table[n], first[n - 1]) << n;

    // A later run puts longer paths from 1 again: they must not run into each other or into the stale ones.
    std::vector<std::string> second;
    for (int32_t n = 1; n <= 3000; ++n) {
        second.push_back(pathOf(n, 13) + "/second");
        table.Put(n, "", second.back());
    }
    for (int32_t n = 1; n <= 3000; ++n)
        ASSERT_EQ(table[n], second[n - 1]) << n;
    EXPECT_THROW(table.Put(3002, "", "gap"), std::logic_error);
    EXPECT_THROW(table.Put(0, "", "zero"), std::out_of_range);
}

TEST(Scan, MaskSelectsFilesInEveryFolderAndRecurseFalseStaysInTheFolder)
{
    TempFolder temp;
    const std::string root = temp / "data/";
    MakeFiles(root, {"a.txt", "B.TXT", "c.doc", "txt", "noext", "sub/d.Txt", "sub/e.doc", "sub.doc/f.txt"});

    ScanRun textFiles;
    EXPECT_EQ(Sorted(textFiles.Scan(root, "*.txt")), Below(root, {"a.txt", "B.TXT", "sub/d.Txt", "sub.doc/f.txt"}));

    ScanRun everyName;
    EXPECT_EQ(everyName.Scan(root, "*.*").size(), 8u);

    ScanRun questionMark;
    EXPECT_EQ(Sorted(questionMark.Scan(root, "?.doc")), Below(root, {"c.doc", "sub/e.doc"}));

    ScanRun ownFilesOnly;
    EXPECT_EQ(Sorted(ownFilesOnly.Scan(root, "*.*", false)), Below(root, {"a.txt", "B.TXT", "c.doc", "txt", "noext"}));
}
