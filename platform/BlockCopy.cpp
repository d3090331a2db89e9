#include "platform/BlockCopy.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <unistd.h>

namespace platform {

namespace {

bool& KernelCopyRefusedForTesting()
{
    static bool refused = false;
    return refused;
}

// The errors by which copy_file_range says it cannot work between these two files at all.
bool KernelCopyRefused(int error)
{
    return error == ENOSYS || error == EXDEV || error == EINVAL || error == EOPNOTSUPP || error == EBADF;
}

constexpr off_t NoMoreData = std::numeric_limits<off_t>::max();

} // namespace

void SetKernelCopyRefusedForTesting(bool refused)
{
    KernelCopyRefusedForTesting() = refused;
}

BlockCopy::BlockCopy(int from, int to, const struct stat& source, size_t blockSize)
    : m_from(from), m_to(to),
      // Fewer blocks than the length needs: only then can there be holes worth asking about.
      m_sparse(source.st_blocks * 512 < source.st_size), m_kernelRefused(KernelCopyRefusedForTesting()),
      m_blockSize(blockSize)
{
}

ssize_t BlockCopy::Copy(off_t at, size_t length)
{
    m_failure = Failure::None;
    if (length == 0)
        return 0;
    if (m_sparse && InHole(at, length))
        return static_cast<ssize_t>(length);
    const ssize_t copied = m_kernelRefused ? CopyThroughBuffer(at, length) : CopyInKernel(at, length);
    if (copied > 0)
        m_written = at + copied;
    return copied;
}

bool BlockCopy::Finish(off_t length)
{
    return m_written >= length || ::ftruncate(m_to, length) == 0;
}

// The data regions are asked for only when a block passes the end of the one known, so a file with few
// holes costs few calls.
bool BlockCopy::InHole(off_t at, size_t length)
{
    if (at >= m_dataEnd) {
        const off_t data = ::lseek(m_from, at, SEEK_DATA);
        if (data < 0) {
            // ENXIO: nothing but hole up to the end. Any other error: the file system cannot tell, so copy.
            if (errno != ENXIO)
                return false;
            m_dataStart = m_dataEnd = NoMoreData;
        } else {
            const off_t hole = ::lseek(m_from, data, SEEK_HOLE);
            m_dataStart = data;
            m_dataEnd = hole < 0 ? NoMoreData : hole;
        }
    }
    return at + static_cast<off_t>(length) <= m_dataStart;
}

ssize_t BlockCopy::CopyInKernel(off_t at, size_t length)
{
    size_t done = 0;
    while (done < length) {
        off_t in = at + static_cast<off_t>(done);
        off_t out = in;
        const ssize_t copied = ::copy_file_range(m_from, &in, m_to, &out, length - done, 0);
        if (copied > 0) {
            done += static_cast<size_t>(copied);
            continue;
        }
        if (copied == 0)
            break;
        if (errno == EINTR)
            continue;
        if (done == 0 && KernelCopyRefused(errno)) {
            m_kernelRefused = true;
            return CopyThroughBuffer(at, length);
        }
        // The kernel does not say which side failed; a full disk is by far the likeliest.
        m_failure = Failure::Write;
        return -1;
    }
    return static_cast<ssize_t>(done);
}

ssize_t BlockCopy::CopyThroughBuffer(off_t at, size_t length)
{
    m_buffer.resize(m_blockSize);
    size_t filled = 0;
    while (filled < length) {
        const size_t wanted = std::min(length - filled, m_buffer.size());
        const ssize_t got = ::pread(m_from, m_buffer.data(), wanted, at + static_cast<off_t>(filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            m_failure = Failure::Read;
            return -1;
        }
        if (got == 0)
            break;
        for (size_t put = 0; put < static_cast<size_t>(got);) {
            const ssize_t written = ::pwrite(m_to, m_buffer.data() + put, static_cast<size_t>(got) - put,
                                             at + static_cast<off_t>(filled + put));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                m_failure = Failure::Write;
                return -1;
            }
            put += static_cast<size_t>(written);
        }
        filled += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(filled);
}

} // namespace platform
