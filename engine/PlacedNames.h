#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The names a run has placed in one folder, asked whether a name is another spelling of one of them.
// Asked and added once for every file of a run, so it is a flat table: one case-blind hash and the
// place of the name's bytes per entry, emptied by a new generation rather than by a pass over every
// slot that the largest folder so far needed.
class PlacedNames {
public:
    void Clear();
    void Add(std::string_view name);
    // A name added that differs from name in letter case alone, if there is one.
    std::optional<std::string_view> OtherSpellingOf(std::string_view name) const;

private:
    struct Slot {
        uint64_t caseBlindHash = 0;
        // The slot is empty unless it is m_generation. One generation per folder entered, and a run enters a
        // folder at most twice per file of its table: far from wrapping around.
        uint32_t generation = 0;
        uint32_t length = 0;
        size_t offset = 0; // of the name in m_bytes
    };

    size_t FirstSlotOf(uint64_t caseBlindHash) const { return caseBlindHash & (m_slots.size() - 1); }
    std::string_view NameIn(const Slot& slot) const { return std::string_view(m_bytes).substr(slot.offset, slot.length); }
    void Grow();
    void Put(const Slot& slot);

    std::vector<Slot> m_slots;
    std::string m_bytes;
    size_t m_count = 0;
    uint32_t m_generation = 1;
};
