#include "ImmutableFlag.h"

#include "TempFolder.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <utility>

ImmutableFlag::ImmutableFlag(std::string path) : m_path(std::move(path))
{
    m_applied = Set(true);
}

void ImmutableFlag::Clear()
{
    if (m_applied)
        m_applied = !Set(false);
}

bool ImmutableFlag::Set(bool on)
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

TmpfsMount::TmpfsMount(std::string folder, const std::string& size) : m_folder(std::move(folder))
{
    MakeFolders(m_folder);
    const std::string options = "size=" + size;
    m_mounted = ::mount("tmpfs", m_folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

bool TmpfsMount::Unmount()
{
    if (!m_mounted)
        return false;
    m_mounted = ::umount2(m_folder.c_str(), MNT_DETACH) != 0;
    return !m_mounted;
}
