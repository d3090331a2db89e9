#pragma once

#include "scheduler/PassedOverProfiles.h"
#include "scheduler/SchedulerHost.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

// The runs that the start-up kick still owes. A reload of the table (New, Delete or Edit, most often made
// while the start-up runs go on) restarts every Countdown at its Interval: without this, every profile after
// the running one would lose its start-up run and wait a whole period. A profile is known again after a
// reload by its source and destination, which a rename keeps.
class StartupRunsOwed {
public:
    // The kick: every profile is owed a run, but one that is running now, which counts down from its
    // Interval once it ends, and one that its Countdown passes over.
    void Kicked(SchedulerHost& host, const PassedOverProfiles& passedOver);

    // Profile n's run starts, which is its start-up run; Ran says it has ended.
    void Running(SchedulerHost& host, int32_t n);
    void Ran() { m_running.reset(); }

    // After a reload, the profiles still owed a run are due again.
    void KeepThroughReload(SchedulerHost& host);

    bool Any() const { return !m_owed.empty(); }
    // A tick that began with runs owed has walked the whole table without a reload: each has had its run.
    void Forget() { m_owed.clear(); }

private:
    using Key = std::pair<std::string, std::string>; // source, destination

    void Given(const Key& profile);

    std::map<Key, int> m_owed; // how many profiles of each key are owed a run
    std::optional<Key> m_running;
    uint64_t m_tableGeneration = 0; // the table whose Countdowns show what is owed
};
