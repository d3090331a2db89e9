#pragma once

#include "scheduler/Variant.h"

#include <array>
#include <cstdint>
#include <stdexcept>

// One backup profile: the four fields of its line in Items.txt and the scheduler's countdown.
struct Profile {
    Variant Name;
    Variant Source;
    Variant Destination;
    Variant Interval;
    Variant Countdown;
};

inline constexpr int32_t MaxProfiles = 100;

// The 100 profile slots, numbered from 1. Reaching outside them is a fault, never a silent write.
class ProfileSlots {
public:
    Profile& operator[](int32_t n) { return m_slots.at(Index(n)); }
    const Profile& operator[](int32_t n) const { return m_slots.at(Index(n)); }

    // Changes with every reload, so that whoever walks the table (the scheduler, a run) can tell
    // that the profile at a number may no longer be the one it started with.
    uint64_t Generation() const { return m_generation; }
    void BeginReload() { ++m_generation; }

private:
    static size_t Index(int32_t n)
    {
        if (n < 1 || n > MaxProfiles)
            throw std::out_of_range("profile number outside the table");
        return static_cast<size_t>(n - 1);
    }
    std::array<Profile, MaxProfiles> m_slots;
    uint64_t m_generation = 0;
};

// What the wizard hands back on the main window; an empty WizName means it gave no result.
struct WizardResult {
    std::string WizSource;
    std::string WizDestination;
    std::string WizName;
    std::string WizInterval;
};
