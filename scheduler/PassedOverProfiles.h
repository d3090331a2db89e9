#pragma once

#include <cstdint>
#include <set>

// Profiles whose Countdown did not convert. Later ticks pass them over until the profile table is next
// reloaded, so one bad line is reported once and neither stops the scheduler nor reopens the error box at
// every tick. Keyed to the table's generation: a reload renumbers the profiles and forgets them all.
class PassedOverProfiles {
public:
    bool Contains(int32_t n, uint64_t tableGeneration) const
    {
        return tableGeneration == m_tableGeneration && m_numbers.contains(n);
    }

    void Add(int32_t n, uint64_t tableGeneration)
    {
        if (tableGeneration != m_tableGeneration) {
            m_numbers.clear();
            m_tableGeneration = tableGeneration;
        }
        m_numbers.insert(n);
    }

private:
    uint64_t m_tableGeneration = 0;
    std::set<int32_t> m_numbers;
};
