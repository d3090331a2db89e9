#include "engine/FileTable.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// A large page: the blocks come whole from LargePageMemory.
constexpr size_t BlockSize = size_t{2} << 20;

} // namespace

FileTable::~FileTable()
{
    for (const Block& block : m_blocks)
        platform::LargePageMemory().deallocate(block.bytes, block.size, 1);
}

std::string_view FileTable::Put(int32_t n, std::string_view folder, std::string_view name)
{
    if (Checked(n) > m_filled + 1)
        throw std::logic_error("file table filled out of order");
    const auto index = static_cast<size_t>(n);
    if (index >= m_entries.size())
        m_entries.resize(index + 1);
    const size_t length = folder.size() + name.size();
    if (length > std::numeric_limits<uint32_t>::max())
        throw std::length_error("path too long for the file table");
    // Right after the entry below, whose bytes lie after every entry's below it.
    const Entry& below = m_entries[index - 1];
    uint32_t block = below.block;
    const size_t from = below.bytes ? static_cast<size_t>(below.bytes - m_blocks[block].bytes) + below.length : 0;
    char* bytes = RoomFor(length, block, from);
    std::memcpy(bytes, folder.data(), folder.size());
    std::memcpy(bytes + folder.size(), name.data(), name.size());
    m_entries[index] = Entry{bytes, static_cast<uint32_t>(length), block};
    m_filled = n;
    return m_entries[index].Text();
}

// length bytes at from in block, or at the start of the next block that holds them; a path longer than a
// block gets a block of its own length.
char* FileTable::RoomFor(size_t length, uint32_t& block, size_t from)
{
    for (; block < m_blocks.size(); ++block, from = 0)
        if (m_blocks[block].size - from >= length)
            return m_blocks[block].bytes + from;
    const size_t size = std::max(BlockSize, length);
    m_blocks.push_back(Block{static_cast<char*>(platform::LargePageMemory().allocate(size, 1)), size});
    return m_blocks.back().bytes;
}
