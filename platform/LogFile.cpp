#include "platform/LogFile.h"

#include "platform/FileContent.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

FileIdentity IdentityOf(const struct stat& info)
{
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec,
            info.st_ctim.tv_sec, info.st_ctim.tv_nsec};
}

[[noreturn]] void Fail(bool writing, int error)
{
    throw LogFileFailure(writing, std::strerror(error), error);
}

} // namespace

std::optional<FileIdentity> IdentityOfRegularFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        return IdentityOf(info);
    return std::nullopt;
}

void CreateFileIfMissing(const std::string& path)
{
    const FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644));
    if (!fd.valid())
        Fail(true, errno);
}

LogFile::LogFile(const std::string& path)
{
    m_fd = FileDescriptor(::open(path.c_str(), O_RDWR | O_APPEND | O_NONBLOCK | O_CLOEXEC));
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

void LogFile::ReadPieces(const std::function<bool(std::string_view)>& take, off_t from)
{
    std::vector<char> buffer(1 << 20);
    for (off_t at = from;;) {
        const ssize_t got = ::pread(m_fd.get(), buffer.data(), buffer.size(), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail(false, errno);
        if (got == 0 || !take(std::string_view(buffer.data(), static_cast<size_t>(got))))
            return;
        at += got;
    }
}

void LogFile::Append(std::string_view bytes)
{
    // A write that takes no byte at all sets no errno; a full disk is the likely reason.
    errno = ENOSPC;
    if (WriteAll(m_fd.get(), bytes.data(), bytes.size()))
        return;
    const int error = errno;
    if (::ftruncate(m_fd.get(), m_identity.size) != 0) {
        // Nothing more can be done for the log; the error is what the user must hear of.
    }
    Fail(true, error);
}

} // namespace platform
