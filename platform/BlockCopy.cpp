#include "platform/BlockCopy.h"

#include "platform/FileContent.h"

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

constexpr off_t NoMoreData = std::numeric_limits<off_t>::max();

BlockCopy::Failure WriteFailure(int error)
{
    const bool noRoom = error == ENOSPC || error == EDQUOT || error == EFBIG;
    return noRoom ? BlockCopy::Failure::NoRoom : BlockCopy::Failure::Write;
}

} // namespace

void BlockCopy::SetKernelCopyRefusedForTesting(bool refused)
{
    KernelCopyRefusedForTesting() = refused;
}

BlockCopy::BlockCopy(int from, int to, const FileStatus& source, size_t blockSize)
    : m_from(from), m_to(to),
      // Fewer blocks than the length needs: only then can there be holes worth asking about.
      m_sparse(source.allocated < source.size), m_kernelRefused(KernelCopyRefusedForTesting()),
      m_blockSize(blockSize)
{
}

ssize_t BlockCopy::Copy(off_t at, size_t length)
{
    m_failure = Failure::None;
    const off_t end = at + static_cast<off_t>(length);
    // Only the data regions of the block are copied: the stretches of hole in it stay holes in the copy.
    for (off_t from = at; from < end;) {
        const off_t to = m_sparse ? DataAt(from, end) : end;
        if (to < 0) {
            from = NextData(from, end);
            continue;
        }
        const auto wanted = static_cast<size_t>(to - from);
        const ssize_t copied = m_kernelRefused ? CopyThroughBuffer(from, wanted) : CopyInKernel(from, wanted);
        if (copied < 0)
            return -1;
        from += copied;
        m_written = std::max(m_written, from);
        if (static_cast<size_t>(copied) < wanted)
            return static_cast<ssize_t>(from - at); // the source ended early
    }
    return static_cast<ssize_t>(length);
}

bool BlockCopy::Finish(off_t length)
{
    if (m_written >= length || ::ftruncate(m_to, length) == 0)
        return true;
    m_failure = WriteFailure(errno);
    return false;
}

// The data regions are asked for only when an offset passes the end of the one known, so a file with few
// holes costs few calls.
void BlockCopy::LearnRegionAt(off_t at)
{
    if (at < m_dataEnd)
        return;
    const off_t data = ::lseek(m_from, at, SEEK_DATA);
    if (data < 0) {
        // ENXIO: nothing but hole up to the end. Any other error: the file system cannot tell, so all is data.
        m_dataStart = errno == ENXIO ? NoMoreData : at;
        m_dataEnd = NoMoreData;
        return;
    }
    const off_t hole = ::lseek(m_from, data, SEEK_HOLE);
    m_dataStart = data;
    m_dataEnd = hole < 0 ? NoMoreData : hole;
}

off_t BlockCopy::DataAt(off_t at, off_t end)
{
    LearnRegionAt(at);
    return at < m_dataStart ? -1 : std::min(end, m_dataEnd);
}

off_t BlockCopy::NextData(off_t at, off_t end)
{
    LearnRegionAt(at);
    return std::min(end, std::max(at, m_dataStart));
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
        m_failure = WriteFailure(errno);
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
                m_failure = written < 0 ? WriteFailure(errno) : Failure::Write;
                return -1;
            }
            put += static_cast<size_t>(written);
        }
        filled += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(filled);
}

} // namespace platform
