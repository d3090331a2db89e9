#include "platform/FileContent.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// Small enough that the window is let breathe between two even on a slow stick, where writing waits for
// the disk.
constexpr size_t KernelCopyChunk = size_t{1} << 20;
constexpr size_t FallbackPieceSize = size_t{1} << 18;

} // namespace

bool KernelCopyRefused(int error)
{
    return error == ENOSYS || error == EXDEV || error == EINVAL || error == EOPNOTSUPP || error == EBADF;
}

ssize_t ReadFull(int fd, char* buffer, size_t size)
{
    size_t filled = 0;
    while (filled < size) {
        const ssize_t got = ::read(fd, buffer + filled, size - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        filled += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(filled);
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool CopyInPieces(int from, int to, off_t length, size_t pieceSize, const GoOn& goOn)
{
    std::vector<char> piece(pieceSize);
    auto left = static_cast<unsigned long long>(length < 0 ? 0 : length);
    while (left > 0) {
        if (!goOn(static_cast<off_t>(static_cast<unsigned long long>(length) - left)))
            return false;
        const size_t wanted = static_cast<size_t>(std::min<unsigned long long>(left, pieceSize));
        const ssize_t got = ReadFull(from, piece.data(), wanted);
        if (got < 0 || !WriteAll(to, piece.data(), static_cast<size_t>(got)))
            return false;
        if (static_cast<size_t>(got) < wanted)
            break;
        left -= static_cast<unsigned long long>(got);
    }
    return true;
}

bool CopyWithKernel(int from, int to, off_t length, const GoOn& goOn)
{
    for (off_t left = length; left > 0;) {
        if (!goOn(length - left))
            return false;
        const size_t wanted = std::min<size_t>(static_cast<size_t>(left), KernelCopyChunk);
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, wanted, 0);
        if (copied > 0) {
            left -= copied;
            continue;
        }
        if (copied == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (!KernelCopyRefused(errno))
            return false;
        // Both offsets stand where the kernel stopped, so reading and writing carries on from there.
        const off_t done = length - left;
        return CopyInPieces(from, to, left, FallbackPieceSize, [&](off_t copied) { return goOn(done + copied); });
    }
    return true;
}

void ForgetCachedPages(int fd, off_t from, off_t length)
{
    ::posix_fadvise(fd, from, length, POSIX_FADV_DONTNEED);
}

void StartWritingOut(int fd, off_t from, off_t length)
{
    ::sync_file_range(fd, from, length, SYNC_FILE_RANGE_WRITE);
}

bool ReadWholeAt(int fd, char* buffer, size_t size, off_t at)
{
    return ::pread(fd, buffer, size, at) == static_cast<ssize_t>(size);
}

} // namespace platform
