// A source file that the user running the backup may not read.
#include "ChildProcess.h"
#include "FaultHarness.h"

#include "engine/ErrorLog.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void GiveToNobody(const std::string& path) { ASSERT_EQ(::chown(path.c_str(), NobodyUser, NobodyGroup), 0) << path; }

// Runs one backup as user nobody in a child process; the child tells how the run ended.
std::optional<std::string> RunAsNobody(
    const std::string& exeFolder, const std::string& source, const std::string& destinationRoot)
{
    Child child([&](int toParent) {
        if (!BecomeNobody())
            return 77;
        RunHarness run(exeFolder);
        run.Run(source, destinationRoot);
        Tell(toParent,
            "failed=" + std::to_string(run.lastRunFailed) + " reported="
                + std::to_string(run.view.reportedErrors.size()) + " idle=" + (run.Idle() ? "yes" : "no"));
        return 0;
    });
    const std::optional<std::string> outcome = child.NextLine(std::chrono::seconds(60));
    const std::optional<int> status = child.Wait(std::chrono::seconds(60));
    if (status && *status == 77)
        return std::nullopt;
    EXPECT_EQ(status, std::optional<int>(0));
    return outcome.value_or("no answer");
}

} // namespace

TEST(UnreadableSource, GetsOneLogLineAndTheRestIsCopied)
{
    if (!RunningAsRoot())
        GTEST_SKIP() << NeedsRoot;
    TempFolder dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    MakeFolders(dir / "src/sub");
    MakeFolders(dir / "exe");
    MakeFolders(dir / "drive");
    GiveToNobody(dir / "exe");
    GiveToNobody(dir / "drive");
    for (const char* name : { "a.txt", "secret.txt", "c.txt", "sub/d.txt" }) {
        WriteWithTime(dir / "src/" + name, std::string("old ") + name, OldTime);
        ASSERT_EQ(::chmod((dir / "src/" + name).c_str(), 0644), 0);
    }
    const std::string root = dir / "drive/backup";
    const std::string copies = root + dir / "src/";

    // A first run while every file could be read leaves a previous copy of each.
    const std::optional<std::string> first = RunAsNobody(dir / "exe", dir / "src", root);
    if (!first)
        GTEST_SKIP() << "the machine refuses to run a child process as user nobody";
    ASSERT_EQ(*first, "failed=0 reported=0 idle=yes");

    for (const char* name : { "a.txt", "secret.txt", "c.txt", "sub/d.txt" })
        WriteWithTime(dir / "src/" + name, std::string("new ") + name, SourceTime);
    ASSERT_EQ(::chmod((dir / "src/secret.txt").c_str(), 0600), 0);
    // A subfolder that cannot be listed is a failure too, not a silent gap in the backup.
    MakeFolders(dir / "src/locked");
    WriteWithTime(dir / "src/locked/e.txt", "e");
    ASSERT_EQ(::chmod((dir / "src/locked").c_str(), 0700), 0);
    const std::optional<std::string> second = RunAsNobody(dir / "exe", dir / "src", root);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, "failed=1 reported=0 idle=yes");

    RunHarness reader(dir / "exe");
    const auto lines = reader.LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with(" " + FolderFailureText(reader.text, dir / "src/locked", std::strerror(EACCES))))
        << lines[0];
    EXPECT_TRUE(lines[1].ends_with(" " + FileFailureText(reader.text, dir / "src/secret.txt", copies + "secret.txt")))
        << lines[1];
    EXPECT_EQ(ReadFileBytes(copies + "secret.txt"), "old secret.txt") << "the previous copy stays";
    for (const char* name : { "a.txt", "c.txt", "sub/d.txt" })
        EXPECT_EQ(ReadFileBytes(copies + name), std::string("new ") + name);
    EXPECT_TRUE(PartFilesBelow(root).empty());
}
