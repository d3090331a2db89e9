#pragma once

#include "platform/LargePages.h"

#include <cstdint>
#include <memory_resource>
#include <stdexcept>
#include <string>
#include <vector>

inline constexpr int32_t FileTableSize = 500000;

struct SystemSeams;

// The fixed table of source paths of the current run, numbered from 1. Entries above FileCount
// are stale and never read. Reaching outside the table is a fault, never a silent write.
//
// The room for every entry is reserved at once but an entry is only made when first reached, so
// the window starts without touching the table's 16 MB, and a run writes what it uses. Entries
// never move: a reference to one stays good while the table grows.
class FileTable {
public:
    FileTable() { m_entries.reserve(static_cast<size_t>(FileTableSize) + 1); }

    std::string& operator[](int32_t n)
    {
        const auto index = static_cast<size_t>(Checked(n));
        if (index >= m_entries.size())
            m_entries.resize(index + 1);
        return m_entries[index];
    }
    const std::string& operator[](int32_t n) const
    {
        static const std::string NeverWritten;
        const auto index = static_cast<size_t>(Checked(n));
        return index < m_entries.size() ? m_entries[index] : NeverWritten;
    }

    int32_t Capacity() const { return m_capacity; }

private:
    friend struct SystemSeams;
    // Test seam: a smaller bound, so that the limit can be reached without 500001 files.
    void SetCapacityForTesting(int32_t capacity) { m_capacity = capacity < FileTableSize ? capacity : FileTableSize; }

    int32_t Checked(int32_t n) const
    {
        if (n < 1 || n > m_capacity)
            throw std::out_of_range("file number outside the table");
        return n;
    }
    std::vector<std::string, std::pmr::polymorphic_allocator<std::string>> m_entries{&platform::LargePageMemory()};
    int32_t m_capacity = FileTableSize;
};
