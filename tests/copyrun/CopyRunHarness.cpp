#include "CopyRunHarness.h"

#include "engine/PartFile.h"
#include "platform/ExeFolder.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

RunHarness::RunHarness()
{
    platform::SetExeFolderForTesting(exeFolder.path());
    view.buttonCaption = text[UiKey::Mstop];
}

std::vector<std::string> RunHarness::LogLines() const
{
    const std::string log = exeFolder / "Error.log";
    if (!Exists(log))
        return {};
    return platform::SplitLines(ReadFileBytes(log));
}

void RunHarness::ExpectIdle() const
{
    EXPECT_EQ(view.panels[1], "");
    EXPECT_EQ(view.panels[3], "");
    EXPECT_FALSE(view.gaugeVisible);
    EXPECT_EQ(view.buttonCaption, text[UiKey::Mrun]);
    EXPECT_EQ(view.buttonImage, 3);
}

bool FileIdentity::operator==(const FileIdentity& other) const
{
    return inode == other.inode && changed.tv_sec == other.changed.tv_sec
        && changed.tv_nsec == other.changed.tv_nsec && modified.tv_sec == other.modified.tv_sec
        && modified.tv_nsec == other.modified.tv_nsec;
}

FileIdentity IdentityOf(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return {};
    return {info.st_ino, info.st_ctim, info.st_mtim};
}

void WriteWithTime(const std::string& path, const std::string& bytes, std::time_t time)
{
    WriteFileBytes(path, bytes);
    SetModificationTime(path, time);
}

void SetModificationTime(const std::string& path, std::time_t time)
{
    const struct timespec times[2] = {{time, 0}, {time, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

mode_t PermissionsOf(const std::string& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::vector<std::string> PartFilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (IsPartFileName(entry->d_name))
                names.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

std::string PatternBytes(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

ImmutableFlag::ImmutableFlag(std::string path) : m_path(std::move(path))
{
    m_applied = SetImmutable(true);
}

ImmutableFlag::~ImmutableFlag()
{
    if (m_applied)
        SetImmutable(false);
}

bool ImmutableFlag::SetImmutable(bool on)
{
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

SmallDisk::SmallDisk(std::string folder, const std::string& size) : m_folder(std::move(folder))
{
    MakeFolders(m_folder);
    const std::string options = "size=" + size;
    m_mounted = ::mount("tmpfs", m_folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(m_folder.c_str(), MNT_DETACH);
}
