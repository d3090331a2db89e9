#pragma once

#include <unistd.h>
#include <utility>

namespace platform {

// An open file that is closed when it goes out of scope, so every way out of a copy closes it.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { if (m_fd >= 0) ::close(m_fd); }
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

    // Closes now and says whether the data reached the file system without a late write error.
    bool Close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd >= 0 && ::close(fd) == 0;
    }

private:
    int m_fd;
};

} // namespace platform
