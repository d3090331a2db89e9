#include "platform/LogFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

FileIdentity IdentityOf(const struct stat& info)
{
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec,
            info.st_ctim.tv_sec, info.st_ctim.tv_nsec};
}

[[noreturn]] void Fail(bool writing, int error)
{
    throw LogFileFailure(writing, std::strerror(error));
}

} // namespace

std::optional<FileIdentity> IdentityOfRegularFile(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        return IdentityOf(info);
    return std::nullopt;
}

void CreateFileIfMissing(const std::string& path)
{
    const FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644));
    if (!fd.valid())
        Fail(true, errno);
}

void RemoveFile(const std::string& path)
{
    ::unlink(path.c_str());
}

LogFile::LogFile(const std::string& path)
{
    m_fd = FileDescriptor(::open(path.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    m_appendable = m_fd.valid();
    if (!m_fd.valid())
        m_fd = FileDescriptor(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!m_fd.valid() || ::fstat(m_fd.get(), &info) != 0)
        Fail(false, errno);
    if (!S_ISREG(info.st_mode))
        throw LogFileFailure(false, "not a regular file");
    m_identity = IdentityOf(info);
    m_appendable = m_appendable && info.st_nlink == 1;
}

std::string LogFile::ReadAll()
{
    std::string content;
    content.reserve(static_cast<size_t>(m_identity.size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(m_fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail(false, errno);
        if (got == 0)
            return content;
        content.append(buffer, static_cast<size_t>(got));
    }
}

void LogFile::Append(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd.get(), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            if (::ftruncate(m_fd.get(), m_identity.size) != 0) {
                // Nothing more can be done for the log; the error is what the user must hear of.
            }
            Fail(true, error);
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
}

} // namespace platform
