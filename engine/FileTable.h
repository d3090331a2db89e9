#pragma once

#include "platform/LargePages.h"

#include <cstdint>
#include <memory_resource>
#include <stdexcept>
#include <string_view>
#include <vector>

inline constexpr int32_t FileTableSize = 500000;

struct SystemSeams;

// The fixed table of source paths of the current run, numbered from 1. Entries above FileCount
// are stale and never read. Reaching outside the table is a fault, never a silent write.
//
// The room for every entry is reserved at once but an entry is only made when first reached, so
// the window starts without touching the table's 8 MB, and a run writes what it uses. The paths'
// bytes lie one after the other in large blocks, in table order, so that a run of a hundred thousand
// files makes a few dozen allocations rather than one per file. Entries never move: a view of one stays
// good while the table grows, until that entry or one below it is put again.
class FileTable {
public:
    FileTable() { m_entries.reserve(static_cast<size_t>(FileTableSize) + 1); }
    ~FileTable();
    FileTable(const FileTable&) = delete;
    FileTable& operator=(const FileTable&) = delete;

    // Entry n becomes folder followed by name, and every entry above it stale: the table is filled in
    // order, and each run fills it again from 1.
    std::string_view Put(int32_t n, std::string_view folder, std::string_view name);

    std::string_view operator[](int32_t n) const
    {
        const auto index = static_cast<size_t>(Checked(n));
        return index < m_entries.size() ? m_entries[index].Text() : std::string_view();
    }

    int32_t Capacity() const { return m_capacity; }

private:
    friend struct SystemSeams;
    // Test seam: a smaller bound, so that the limit can be reached without 500001 files.
    void SetCapacityForTesting(int32_t capacity) { m_capacity = capacity < FileTableSize ? capacity : FileTableSize; }

    struct Entry {
        const char* bytes = nullptr;
        uint32_t length = 0;
        uint32_t block = 0; // of m_blocks, which holds the bytes
        std::string_view Text() const { return std::string_view(bytes, length); }
    };
    struct Block {
        char* bytes;
        size_t size;
    };

    int32_t Checked(int32_t n) const
    {
        if (n < 1 || n > m_capacity)
            throw std::out_of_range("file number outside the table");
        return n;
    }
    char* RoomFor(size_t length, uint32_t& block, size_t from);

    std::vector<Entry, std::pmr::polymorphic_allocator<Entry>> m_entries{&platform::LargePageMemory()};
    std::vector<Block> m_blocks;
    int32_t m_capacity = FileTableSize;
    int32_t m_filled = 0; // entries above it are stale
};
