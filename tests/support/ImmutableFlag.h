#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <string>
#include <utility>
#include <sys/ioctl.h>
#include <unistd.h>

// Sets the immutable flag (chattr +i) on a file or folder for the guard's lifetime. Permission bits
// do not stop root, this flag does. applied() is false where the file system or the machine refuses.
class ImmutableFlag {
public:
    explicit ImmutableFlag(std::string path) : m_path(std::move(path)) { m_applied = Set(true); }
    ~ImmutableFlag()
    {
        if (m_applied)
            Set(false);
    }
    ImmutableFlag(const ImmutableFlag&) = delete;
    ImmutableFlag& operator=(const ImmutableFlag&) = delete;

    bool applied() const { return m_applied; }

private:
    bool Set(bool on)
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

    std::string m_path;
    bool m_applied = false;
};

constexpr const char* ImmutableFlagRefused =
    "the machine refuses the immutable flag (chattr +i) here, and nothing else makes a path unwritable for root";
