#include "engine/PlacedNames.h"

#include "platform/CaseFolding.h"

#include <algorithm>

void PlacedNames::Clear()
{
    m_count = 0;
    m_bytes.clear();
    ++m_generation;
}

// Each file of the table has a destination of its own, so a name is placed in a folder once and is not looked
// for first; a second entry for it would do no harm, as no name is another spelling of itself.
void PlacedNames::Add(std::string_view name)
{
    if ((m_count + 1) * 2 > m_slots.size())
        Grow();
    Put(Slot{platform::HashIgnoringCase(name), m_generation, static_cast<uint32_t>(name.size()), m_bytes.size()});
    m_bytes.append(name);
    ++m_count;
}

std::optional<std::string_view> PlacedNames::OtherSpellingOf(std::string_view name) const
{
    if (m_count == 0)
        return std::nullopt;
    const uint64_t hash = platform::HashIgnoringCase(name);
    for (size_t at = FirstSlotOf(hash); m_slots[at].generation == m_generation; at = (at + 1) & (m_slots.size() - 1)) {
        const Slot& slot = m_slots[at];
        if (slot.caseBlindHash != hash)
            continue;
        const std::string_view placed = NameIn(slot);
        if (placed != name && platform::EqualIgnoringCase(placed, name))
            return placed;
    }
    return std::nullopt;
}

void PlacedNames::Grow()
{
    std::vector<Slot> old(std::max<size_t>(m_slots.size() * 2, 64));
    old.swap(m_slots);
    for (const Slot& slot : old)
        if (slot.generation == m_generation)
            Put(slot);
}

void PlacedNames::Put(const Slot& slot)
{
    size_t at = FirstSlotOf(slot.caseBlindHash);
    while (m_slots[at].generation == m_generation)
        at = (at + 1) & (m_slots.size() - 1);
    m_slots[at] = slot;
}
