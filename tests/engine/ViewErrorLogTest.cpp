#include "SystemSeams.h"
#include "TempFolder.h"
#include "engine/ErrorLog.h"
#include "platform/OpenFileLimit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Sets PATH for the guard's life, so that posix_spawnp finds the test's own programs.
class ScopedPath {
public:
    explicit ScopedPath(const std::string& path)
    {
        const char* old = std::getenv("PATH");
        m_hadPath = old != nullptr;
        m_oldPath = old ? old : "";
        ::setenv("PATH", path.c_str(), 1);
    }
    ~ScopedPath()
    {
        if (m_hadPath)
            ::setenv("PATH", m_oldPath.c_str(), 1);
        else
            ::unsetenv("PATH");
    }
    ScopedPath(const ScopedPath&) = delete;
    ScopedPath& operator=(const ScopedPath&) = delete;

private:
    bool m_hadPath = false;
    std::string m_oldPath;
};

std::string CurrentPath()
{
    const char* path = std::getenv("PATH");
    return path ? path : "/usr/bin:/bin";
}

// A stand-in for xdg-open that writes the number of its arguments, each argument in brackets and its limit of open
// files to report, renaming it into place so that a reader never sees half of it.
void InstallFakeViewer(const std::string& folder, const std::string& report)
{
    const std::string script = "#!/bin/sh\n"
                               "out='" + report + "'\n"
                               "printf '%s\\n' \"$#\" > \"$out.part\"\n"
                               "for argument in \"$@\"; do printf '[%s]\\n' \"$argument\" >> \"$out.part\"; done\n"
                               "echo \"limit $(ulimit -n)\" >> \"$out.part\"\n"
                               "mv \"$out.part\" \"$out\"\n";
    WriteFileBytes(folder + "xdg-open", script);
    ::chmod((folder + "xdg-open").c_str(), 0755);
}

std::string WaitForReport(const std::string& report)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (::access(report.c_str(), F_OK) == 0)
            return ReadFileBytes(report);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return "no report: the viewer was not started";
}

bool HasChildrenLeft()
{
    int status = 0;
    return !(::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD);
}

} // namespace

TEST(ViewErrorLog, ViewerGetsTheLogsPathWholeAsOneArgument)
{
    TempFolder temp;
    const std::string bin = temp / "bin/";
    const std::string exe = temp / "my tools; $(touch injected) 'q'/";
    MakeFolders(bin);
    MakeFolders(exe);
    InstallFakeViewer(bin, temp / "report");
    SystemSeams::SetExeFolder(exe);
    const ScopedPath fakeViewerFirst(bin + ":" + CurrentPath());
    // A run raises the process's limit of open files; the viewer starts with the one the program had.
    rlimit limit {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    limit.rlim_cur = std::min<rlim_t>(1000, limit.rlim_max);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    const std::string starting = "limit " + std::to_string(limit.rlim_cur) + "\n";
    platform::OpenFileLimit();

    ViewErrorLog();
    EXPECT_EQ(WaitForReport(temp / "report"), "1\n[" + exe + "Error.log]\n" + starting)
        << "no log yet: the viewer gets Error.log";
    EXPECT_FALSE(HasChildrenLeft()) << "the viewer must be left to init, with no zombie behind";

    WriteFileBytes(exe + "ERROR.log", "line\r\n");
    ::unlink((temp / "report").c_str());
    ViewErrorLog();
    EXPECT_EQ(WaitForReport(temp / "report"), "1\n[" + exe + "ERROR.log]\n" + starting);
    EXPECT_NE(::access((temp / "injected").c_str(), F_OK), 0) << "the path went through a shell";
    EXPECT_NE(::access((exe + "injected").c_str(), F_OK), 0) << "the path went through a shell";
}
