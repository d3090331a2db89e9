#pragma once

#include "platform/Folder.h"

#include <cstddef>
#include <sys/types.h>
#include <vector>

struct SystemSeams;

namespace platform {

// One file copied to another block by block, each block to the same offset: inside the kernel
// (copy_file_range) where the two file systems allow it, by reading and writing where they refuse.
// The stretches of a block that lie in a hole of a sparse source are not written, so the copy keeps
// its holes.
class BlockCopy {
public:
    // NoRoom: the copy's disk is full, or its quota or its file system's largest file is reached.
    enum class Failure { None, Read, Write, NoRoom };

    // source is what the look at the open from said when it was opened.
    BlockCopy(int from, int to, const FileStatus& source, size_t blockSize);

    // Copies up to length bytes at offset at. Returns the bytes copied, fewer than length only where
    // the source ends, or -1 with failure set.
    ssize_t Copy(off_t at, size_t length);
    Failure failure() const { return m_failure; }

    // Gives the copy its length where the source ended in a hole. False with failure set when the copy
    // refuses it.
    bool Finish(off_t length);

private:
    friend struct ::SystemSeams;
    // Test seam: copy_file_range counts as refused, as between two file systems that cannot copy to each other.
    static void SetKernelCopyRefusedForTesting(bool refused);

    void LearnRegionAt(off_t at);
    off_t DataAt(off_t at, off_t end);   // the end of the data that begins at at, or -1 in a hole
    off_t NextData(off_t at, off_t end); // where the hole at at ends
    ssize_t CopyInKernel(off_t at, size_t length);
    ssize_t CopyThroughBuffer(off_t at, size_t length);

    int m_from;
    int m_to;
    bool m_sparse;
    bool m_kernelRefused = false;
    off_t m_dataStart = 0; // the data region that holds the last offset asked about: [start, end)
    off_t m_dataEnd = 0;
    off_t m_written = 0;   // the end of what was written to the copy
    size_t m_blockSize;
    std::vector<char> m_buffer;
    Failure m_failure = Failure::None;
};

} // namespace platform
