#include "LoopFileSystem.h"

#include "ChildProcess.h"
#include "platform/MountTable.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace {

// A FUSE driver starts in well under a second; the ceiling only matters on a machine that is stuck.
constexpr auto MountCeiling = std::chrono::seconds(60);
constexpr auto PollStep = std::chrono::milliseconds(10);

// The sbin folders are searched too: the mkfs and mount tools live there and a plain user's PATH
// (also root's under some sudo setups) leaves them out.
std::string FindTool(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(std::string(path ? path : "") + ":/usr/local/sbin:/usr/sbin:/sbin:/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// Starts program with its standard output and error going to the file output (emptied first) and
// nothing on its standard input; -1 when it could not be started.
pid_t Start(const std::string& program, const std::vector<std::string>& arguments, const std::string& output)
{
    CommandLine command(program, arguments);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // A driver outlives the call: a pipe end of the test it kept open would never report its end.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), &actions, &attributes, command.argv(), environ) != 0)
        pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit code, or minus the signal that ended it.
int WaitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -SIGKILL;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Waits for a driver to end after its disk was unmounted, and kills it when it does not.
void EndDriver(pid_t pid)
{
    const auto deadline = std::chrono::steady_clock::now() + MountCeiling;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR))
            return;
        std::this_thread::sleep_for(PollStep);
    }
    ::kill(pid, SIGKILL);
    WaitFor(pid);
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string TextOf(const std::string& file)
{
    try {
        return Trimmed(ReadFileBytes(file));
    } catch (...) {
        return {};
    }
}

struct ToolRun {
    bool succeeded = false;
    std::string output;
};

// Runs a tool to its end; when it fails, output says which tool and why, in its own words.
ToolRun RunTool(const std::string& name, const std::vector<std::string>& arguments, const std::string& outputFile)
{
    const std::string program = FindTool(name);
    if (program.empty())
        return { false, name + " is not installed" };
    const pid_t pid = Start(program, arguments, outputFile);
    if (pid < 0)
        return { false, name + " could not be started" };
    const int code = WaitFor(pid);
    std::string output = TextOf(outputFile);
    if (code == 0)
        return { true, output };
    return { false, name + " failed (exit code " + std::to_string(code) + "): " + output };
}

} // namespace

LoopFileSystem::LoopFileSystem(Kind kind, int sizeMiB)
    : m_kind(kind)
    , m_image(m_work / "disk.img")
    , m_path(m_work / "disk/")
    , m_driverOutput(m_work / "driver.txt")
{
    if (!RunningAsRoot()) {
        Refuse("needs root to mount a disk image");
        return;
    }
    if (kind != Kind::Ext4 && ::access("/dev/fuse", R_OK | W_OK) != 0) {
        Refuse("no usable /dev/fuse, so the " + Name(kind) + " driver cannot mount here");
        return;
    }
    MakeFolders(m_path);
    if (Format(sizeMiB))
        Mount();
}

LoopFileSystem::~LoopFileSystem()
{
    Unmount();
    if (!m_loopDevice.empty())
        RunTool("losetup", { "-d", m_loopDevice }, m_work / "losetup.txt");
}

std::string LoopFileSystem::Name(Kind kind)
{
    switch (kind) {
    case Kind::Ext4:
        return "ext4";
    case Kind::ExFat:
        return "exFAT";
    case Kind::Fat:
        return "FAT";
    }
    return {};
}

bool LoopFileSystem::Refuse(std::string reason)
{
    m_reason = Name(m_kind) + " disk image: " + std::move(reason);
    return false;
}

bool LoopFileSystem::Format(int sizeMiB)
{
    const int fd = ::open(m_image.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const bool sized = fd >= 0 && ::ftruncate(fd, off_t { sizeMiB } * 1024 * 1024) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!sized)
        return Refuse("cannot make the image file " + m_image);
    const std::string output = m_work / "mkfs.txt";
    ToolRun formatted;
    switch (m_kind) {
    case Kind::Ext4:
        formatted = RunTool("mkfs.ext4", { "-q", "-F", m_image }, output);
        break;
    case Kind::ExFat:
        formatted = RunTool("mkfs.exfat", { m_image }, output);
        break;
    case Kind::Fat:
        formatted = RunTool("mkfs.fat", { m_image }, output);
        break;
    }
    return formatted.succeeded || Refuse(formatted.output);
}

bool LoopFileSystem::Mount()
{
    const std::string output = m_work / "mount.txt";
    switch (m_kind) {
    case Kind::Ext4: {
        const ToolRun mounted = RunTool("mount", { "-o", "loop", m_image, m_path }, output);
        m_mounted = mounted.succeeded;
        return m_mounted || Refuse(mounted.output);
    }
    case Kind::ExFat: {
        // This driver opens a block device, not an image file.
        if (m_loopDevice.empty()) {
            const ToolRun attached = RunTool("losetup", { "-f", "--show", m_image }, output);
            if (!attached.succeeded)
                return Refuse("no free loop device: " + attached.output);
            m_loopDevice = attached.output;
        }
        // -d keeps the driver in the foreground, as a child of the test that can be waited for.
        return MountFuse("mount.exfat-fuse", { "-d", m_loopDevice, m_path });
    }
    case Kind::Fat:
        return MountFuse("fusefat", { "-f", "-o", "rw+", m_image, m_path });
    }
    return false;
}

bool LoopFileSystem::MountFuse(const std::string& driver, const std::vector<std::string>& arguments)
{
    const std::string program = FindTool(driver);
    if (program.empty())
        return Refuse(driver + " is not installed");
    m_driver = Start(program, arguments, m_driverOutput);
    if (m_driver < 0)
        return Refuse(driver + " could not be started");
    m_mounted = WaitUntilMounted();
    if (m_mounted)
        return true;
    if (m_driver > 0) {
        ::kill(m_driver, SIGKILL);
        WaitFor(m_driver);
        m_driver = -1;
    }
    return Refuse(driver + " did not mount the image: " + TextOf(m_driverOutput));
}

// A FUSE driver mounts in its own time; the kernel's table says when it has.
bool LoopFileSystem::WaitUntilMounted()
{
    const std::string folder = platform::ResolvedPath(m_path);
    const auto deadline = std::chrono::steady_clock::now() + MountCeiling;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto points = platform::CurrentMountPoints();
        if (points && points->contains(folder))
            return true;
        int status = 0;
        if (::waitpid(m_driver, &status, WNOHANG) == m_driver) {
            m_driver = -1;
            return false;
        }
        std::this_thread::sleep_for(PollStep);
    }
    return false;
}

void LoopFileSystem::Unmount()
{
    bool detached = false;
    if (m_mounted) {
        if (::umount2(m_path.c_str(), 0) != 0) {
            detached = true;
            ::umount2(m_path.c_str(), MNT_DETACH);
        }
        m_mounted = false;
    }
    if (m_driver > 0) {
        // A detached disk still in use keeps its driver waiting for the last user; nothing is kept anyway.
        if (detached)
            ::kill(m_driver, SIGKILL);
        EndDriver(m_driver);
        m_driver = -1;
    }
}

bool LoopFileSystem::Remount()
{
    if (!m_mounted)
        return false;
    if (::umount2(m_path.c_str(), 0) != 0)
        return Refuse(std::string("cannot unmount it, something still uses it: ") + std::strerror(errno));
    m_mounted = false;
    // The driver writes what it still holds and ends once the kernel lets go of the disk.
    if (m_driver > 0) {
        EndDriver(m_driver);
        m_driver = -1;
    }
    return Mount();
}
