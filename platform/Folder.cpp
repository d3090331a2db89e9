#include "platform/Folder.h"

#include "platform/VirtualFileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/types.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/openat2.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

// O_NONBLOCK keeps the open from waiting, whatever the name turns out to be; O_DIRECTORY refuses all but a folder.
constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC;

EntryKind KindOfMode(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryKind::File;
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    if (S_ISLNK(mode))
        return EntryKind::Link;
    return EntryKind::Other;
}

FileStatus StatusFrom(const struct stat& info)
{
    FileStatus status;
    status.kind = KindOfMode(info.st_mode);
    status.permissions = info.st_mode & 07777;
    status.owner = info.st_uid;
    status.group = info.st_gid;
    status.size = info.st_size;
    status.allocated = info.st_blocks * 512;
    status.accessed = info.st_atim;
    status.modified = info.st_mtim;
    status.device = info.st_dev;
    status.inode = info.st_ino;
    status.links = info.st_nlink;
    return status;
}

// One name in the folder itself: "a/b" would reach past a folder without looking at it, ".." above it.
bool IsOneName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// Whether the kernel takes openat2: asked by the first child opened, then known for the whole process. A
// kernel before 5.6 says ENOSYS; a seccomp filter (containers) may say EPERM for the call itself.
enum class Openat2 { Unknown, Works, Missing };
std::atomic<Openat2> openat2State{Openat2::Unknown};

int OpenChildWithOpenat2(int folder, const char* name, uint64_t resolve)
{
    open_how how{};
    how.flags = FolderFlags;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS | resolve;
    return static_cast<int>(::syscall(SYS_openat2, folder, name, &how, sizeof how));
}

// onParentsMount tells whether the child was opened without crossing a mount point: it then lies on the
// parent's file system, which a walk need not ask about again. Without openat2 nobody knows.
int OpenChildDescriptor(int folder, const char* name, bool& onParentsMount)
{
    onParentsMount = false;
    if (openat2State.load(std::memory_order_relaxed) != Openat2::Missing) {
        int fd = OpenChildWithOpenat2(folder, name, RESOLVE_NO_XDEV);
        onParentsMount = fd >= 0;
        if (fd < 0 && errno == EXDEV)
            fd = OpenChildWithOpenat2(folder, name, 0);
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM && errno != E2BIG)) {
            openat2State.store(Openat2::Works, std::memory_order_relaxed);
            return fd;
        }
        // EPERM can also be the folder's own answer once the call is known to work.
        if (openat2State.load(std::memory_order_relaxed) == Openat2::Works)
            return fd;
        openat2State.store(Openat2::Missing, std::memory_order_relaxed);
    }
    return ::openat(folder, name, FolderFlags | O_NOFOLLOW);
}

// How an unnamed file gets its name: by its descriptor alone where the process has the right to
// (CAP_DAC_READ_SEARCH), else through its entry in /proc; with neither there are no unnamed files.
// Chosen once per process.
enum class LinkWay { Unknown, Descriptor, ProcEntry, None };
std::atomic<LinkWay> linkWay{LinkWay::Unknown};

// Whether an open file can be reached by its entry in /proc (not mounted in some containers); looked once.
bool ProcEntriesThere()
{
    static const bool there = ::access("/proc/self/fd", X_OK) == 0;
    return there;
}

struct ProcEntry {
    char path[32];
};

ProcEntry ProcEntryOf(int fd)
{
    ProcEntry entry{};
    std::snprintf(entry.path, sizeof entry.path, "/proc/self/fd/%d", fd);
    return entry;
}

LinkWay ChooseLinkWay()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (::syscall(SYS_capget, &header, data) == 0
        && (data[CAP_TO_INDEX(CAP_DAC_READ_SEARCH)].effective & CAP_TO_MASK(CAP_DAC_READ_SEARCH)) != 0)
        return LinkWay::Descriptor;
    return ProcEntriesThere() ? LinkWay::ProcEntry : LinkWay::None;
}

LinkWay LinkWayOfProcess()
{
    LinkWay way = linkWay.load(std::memory_order_relaxed);
    if (way == LinkWay::Unknown) {
        way = ChooseLinkWay();
        linkWay.store(way, std::memory_order_relaxed);
    }
    return way;
}

int LinkThroughProcEntry(int fd, int folder, const char* name)
{
    return ::linkat(AT_FDCWD, ProcEntryOf(fd).path, folder, name, AT_SYMLINK_FOLLOW);
}

// The devices whose file systems refused an unnamed file or its link, for the rest of the process. A number
// that a later mount reuses only costs that file system the part file.
class RefusingDevices {
public:
    bool Any() const { return m_any.load(std::memory_order_relaxed); }

    bool Holds(dev_t device) const
    {
        const std::lock_guard lock(m_mutex);
        return std::find(m_devices.begin(), m_devices.end(), device) != m_devices.end();
    }

    void Add(dev_t device)
    {
        const std::lock_guard lock(m_mutex);
        m_devices.push_back(device);
        m_any.store(true, std::memory_order_relaxed);
    }

private:
    mutable std::mutex m_mutex;
    std::vector<dev_t> m_devices;
    std::atomic<bool> m_any{false};
};

RefusingDevices& RefusingUnnamedFiles()
{
    static RefusingDevices devices;
    return devices;
}

// The errors by which a kernel or file system says it has no unnamed files: EISDIR and EINVAL from kernels
// that predate them, EOPNOTSUPP from file systems without them.
bool RefusesUnnamedFiles(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

} // namespace

Folder Folder::OpenTop(const std::string& path)
{
    const int fd = ::open(path.empty() ? "." : path.c_str(), FolderFlags);
    return Folder(fd, fd < 0 ? errno : 0);
}

Folder Folder::OpenChild(const std::string& name) const
{
    if (!IsOneName(name))
        return Folder(-1, EINVAL);
    bool onParentsMount = false;
    const int fd = OpenChildDescriptor(descriptor(), name.c_str(), onParentsMount);
    if (fd >= 0) {
        Folder child(fd, 0);
        child.m_onParentsMount = onParentsMount;
        return child;
    }
    int error = errno;
    // O_NOFOLLOW with O_DIRECTORY calls a link "not a folder"; the reason for passing it over is that it is a link.
    if (error == ENOTDIR) {
        const auto status = StatusOf(name, Links::DoNotFollow);
        if (status && status->kind == EntryKind::Link)
            error = ELOOP;
    }
    return Folder(-1, error);
}

bool Folder::MakeChild(const std::string& name, mode_t permissions) const
{
    if (!IsOneName(name)) {
        errno = EINVAL;
        return false;
    }
    return ::mkdirat(descriptor(), name.c_str(), permissions) == 0;
}

std::optional<FileStatus> Folder::Status() const
{
    struct stat info {};
    if (::fstat(descriptor(), &info) != 0)
        return std::nullopt;
    return StatusFrom(info);
}

std::optional<FileStatus> Folder::StatusOf(const std::string& name, Links links) const
{
    struct stat info {};
    const int flags = links == Links::Follow ? 0 : AT_SYMLINK_NOFOLLOW;
    if (::fstatat(descriptor(), name.c_str(), &info, flags) != 0)
        return std::nullopt;
    return StatusFrom(info);
}

FileDescriptor Folder::OpenForReading(const std::string& name, Links links) const
{
    const int noFollow = links == Links::Follow ? 0 : O_NOFOLLOW;
    return FileDescriptor(::openat(descriptor(), name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | noFollow));
}

// Opening a device can do something of its own (a watchdog arms, a tape rewinds), and a link can be turned
// towards one at any moment: the link is followed to a descriptor that only names what it found, which is
// opened for reading through /proc once it is known to be a regular file. Without /proc, the name is opened as
// it leads then.
FileDescriptor Folder::OpenFileBehindLink(const std::string& name) const
{
    const FileDescriptor target(::openat(descriptor(), name.c_str(), O_PATH | O_CLOEXEC));
    struct stat info {};
    if (!target.valid() || ::fstat(target.get(), &info) != 0)
        return FileDescriptor();
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return FileDescriptor();
    }
    if (!ProcEntriesThere())
        return OpenForReading(name);
    return FileDescriptor(::open(ProcEntryOf(target.get()).path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
}

FileDescriptor Folder::CreateExclusively(const std::string& name) const
{
    return FileDescriptor(
        ::openat(descriptor(), name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
}

FileDescriptor Folder::CreateUnnamed(mode_t mode) const
{
    RefusingDevices& refusing = RefusingUnnamedFiles();
    if (LinkWayOfProcess() == LinkWay::None || (refusing.Any() && DeviceKnown() && refusing.Holds(m_device))) {
        errno = EOPNOTSUPP;
        return FileDescriptor();
    }
    FileDescriptor file(::openat(descriptor(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode & 07777));
    const int error = errno;
    if (!file.valid() && RefusesUnnamedFiles(error) && DeviceKnown())
        refusing.Add(m_device);
    errno = error;
    return file;
}

bool Folder::LinkUnnamed(int fd, const std::string& name) const
{
    if (!IsOneName(name)) {
        errno = EINVAL;
        return false;
    }
    int done = -1;
    // A process that gave up its rights since the way was chosen (a child that became another user) is
    // refused the link by descriptor with ENOENT; /proc still names the file.
    if (LinkWayOfProcess() == LinkWay::Descriptor)
        done = ::linkat(fd, "", descriptor(), name.c_str(), AT_EMPTY_PATH);
    if (done != 0 && (LinkWayOfProcess() == LinkWay::ProcEntry || errno == ENOENT))
        done = LinkThroughProcEntry(fd, descriptor(), name.c_str());
    if (done == 0)
        return true;
    const int error = errno;
    if (IsRefusedByFileSystem(error) && DeviceKnown())
        RefusingUnnamedFiles().Add(m_device);
    errno = error;
    return false;
}

bool Folder::DeviceKnown() const
{
    if (!m_deviceKnown) {
        struct stat info {};
        m_deviceKnown = ::fstat(descriptor(), &info) == 0;
        m_device = info.st_dev;
    }
    return m_deviceKnown;
}

bool Folder::Rename(const std::string& from, const std::string& to) const
{
    return ::renameat(descriptor(), from.c_str(), descriptor(), to.c_str()) == 0;
}

bool Folder::SetTimes(const std::string& name, const timespec& accessed, const timespec& modified) const
{
    const timespec times[2] = {accessed, modified};
    return ::utimensat(descriptor(), name.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool Folder::Remove(const std::string& name) const
{
    return ::unlinkat(descriptor(), name.c_str(), 0) == 0;
}

bool Folder::IsOnVirtualFileSystem() const
{
    return platform::IsOnVirtualFileSystem(descriptor());
}

namespace {

constexpr size_t ListingBufferSize = 32768;

// The kernel's own entry layout, as getdents64 fills the buffer.
struct KernelEntry {
    ino64_t inode;
    off64_t next;
    unsigned short length;
    unsigned char type;
    char name[1];
};

// A run lists folders by the thousand, one after another: each listing's buffer is kept for the next rather than
// given back to the allocator, which would merge its free lists again for every folder. Listings may nest, so a
// few are kept.
class ListingBuffers {
public:
    std::unique_ptr<char[]> Take()
    {
        if (m_kept.empty())
            return std::make_unique_for_overwrite<char[]>(ListingBufferSize);
        std::unique_ptr<char[]> buffer = std::move(m_kept.back());
        m_kept.pop_back();
        return buffer;
    }

    void GiveBack(std::unique_ptr<char[]> buffer)
    {
        if (m_kept.size() < Kept)
            m_kept.push_back(std::move(buffer));
    }

private:
    static constexpr size_t Kept = 4;
    std::vector<std::unique_ptr<char[]>> m_kept;
};

thread_local ListingBuffers listingBuffers;

EntryKind KindOfListedType(unsigned char type)
{
    switch (type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
        return EntryKind::Folder;
    case DT_LNK:
        return EntryKind::Link;
    default:
        return EntryKind::Other;
    }
}

} // namespace

FolderListing::FolderListing(const Folder& folder) : m_folder(folder)
{
    if (!folder.valid()) {
        m_error = folder.error() != 0 ? folder.error() : EBADF;
        m_ended = true;
        return;
    }
    // A folder listed before is read again from its first entry.
    if (folder.m_listed && ::lseek(folder.descriptor(), 0, SEEK_SET) != 0) {
        m_error = errno;
        m_ended = true;
        return;
    }
    folder.m_listed = true;
    m_buffer = listingBuffers.Take();
}

FolderListing::~FolderListing()
{
    if (m_buffer)
        listingBuffers.GiveBack(std::move(m_buffer));
}

bool FolderListing::Fill()
{
    const long got = ::syscall(SYS_getdents64, m_folder.descriptor(), m_buffer.get(), ListingBufferSize);
    if (got <= 0) {
        m_error = got < 0 ? errno : 0;
        m_ended = true;
        return false;
    }
    m_at = 0;
    m_filled = static_cast<size_t>(got);
    return true;
}

std::optional<FolderListing::Entry> FolderListing::Next()
{
    for (;;) {
        if (m_ended || (m_at >= m_filled && !Fill()))
            return std::nullopt;
        const char* start = m_buffer.get() + m_at;
        const auto* entry = reinterpret_cast<const KernelEntry*>(start);
        m_at += entry->length;
        const char* name = start + offsetof(KernelEntry, name);
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (entry->type != DT_UNKNOWN)
            return Entry{name, KindOfListedType(entry->type)};
        // Some file systems leave the type out of the listing: one look at the entry itself.
        const auto status = m_folder.StatusOf(name, Links::DoNotFollow);
        return Entry{name, status ? status->kind : EntryKind::Other};
    }
}

bool SetOwner(int fd, uid_t owner, gid_t group)
{
    return ::fchown(fd, owner, group) == 0;
}

bool SetTimes(int fd, const timespec& accessed, const timespec& modified)
{
    const timespec times[2] = {accessed, modified};
    return ::futimens(fd, times) == 0;
}

bool SetPermissions(int fd, mode_t permissions)
{
    return ::fchmod(fd, permissions) == 0;
}

std::optional<FileStatus> StatusOfOpenFile(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    return StatusFrom(info);
}

std::optional<FileStatus> StatusOfPath(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return StatusFrom(info);
}

std::optional<FileStatus> StatusOfFolderAbove(const Folder& folder, size_t levels)
{
    FileDescriptor above;
    for (size_t level = 0; level < levels; ++level) {
        const int from = above.valid() ? above.get() : folder.descriptor();
        FileDescriptor parent(::openat(from, "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!parent.valid())
            return std::nullopt;
        above = std::move(parent);
    }
    return StatusOfOpenFile(above.valid() ? above.get() : folder.descriptor());
}

bool IsRefusedByFileSystem(int error)
{
    return error == EPERM || error == ENOSYS || error == EOPNOTSUPP;
}

uid_t RunningUser()
{
    return ::geteuid();
}

} // namespace platform
