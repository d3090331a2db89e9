#include "engine/PlacedNames.h"

#include "platform/Listing.h"

#include <algorithm>

void PlacedNames::Clear()
{
    m_count = 0;
    m_bytes.clear();
    if (++m_generation != 0)
        return;
    // After four billion folders the old stamps could pass for new ones.
    m_slots.assign(m_slots.size(), Slot{});
    m_generation = 1;
}

void PlacedNames::Add(std::string_view name)
{
    if ((m_count + 1) * 2 > m_slots.size())
        Grow();
    const uint64_t hash = platform::Fnv1aIgnoringAsciiCase(name);
    size_t at = FirstSlotOf(hash);
    while (m_slots[at].generation == m_generation) {
        if (m_slots[at].caseBlindHash == hash && NameIn(m_slots[at]) == name)
            return;
        at = (at + 1) & (m_slots.size() - 1);
    }
    m_slots[at] = Slot{hash, m_generation, static_cast<uint32_t>(name.size()), m_bytes.size()};
    m_bytes.append(name);
    ++m_count;
}

bool PlacedNames::HasOtherSpellingOf(std::string_view name) const
{
    if (m_count == 0)
        return false;
    const uint64_t hash = platform::Fnv1aIgnoringAsciiCase(name);
    for (size_t at = FirstSlotOf(hash); m_slots[at].generation == m_generation; at = (at + 1) & (m_slots.size() - 1)) {
        const Slot& slot = m_slots[at];
        if (slot.caseBlindHash != hash)
            continue;
        const std::string_view placed = NameIn(slot);
        if (placed != name && platform::EqualIgnoringAsciiCase(placed, name))
            return true;
    }
    return false;
}

void PlacedNames::Grow()
{
    std::vector<Slot> old(std::max<size_t>(m_slots.size() * 2, 64));
    old.swap(m_slots);
    for (const Slot& slot : old) {
        if (slot.generation != m_generation)
            continue;
        size_t at = FirstSlotOf(slot.caseBlindHash);
        while (m_slots[at].generation == m_generation)
            at = (at + 1) & (m_slots.size() - 1);
        m_slots[at] = slot;
    }
}
