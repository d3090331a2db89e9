#pragma once

#include "scheduler/PassedOverProfiles.h"
#include "scheduler/SchedulerHost.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

// The start-up kick's round: every profile runs once. A reload of the table (New, Delete or Edit, most often
// made while the round goes on) restarts every Countdown at its Interval, which would take the round's run
// from every profile that has not had it yet. So the round notes the profiles that have had theirs, known
// again after a reload by their source and destination (a rename keeps them), and every other profile is due
// again. Where it cannot tell two profiles apart, both run: a run too many costs a look at the files, a run
// missing leaves a backup a whole period older.
class StartupRound {
public:
    // The kick. A profile running now counts down from its Interval once it ends, and one that its
    // Countdown passes over is passed over: neither is owed a run.
    void Kicked(SchedulerHost& host, const PassedOverProfiles& passedOver);

    // Profile n's run starts; Ran says it has ended.
    void Running(SchedulerHost& host, int32_t n);
    void Ran() { m_running.reset(); }

    // After a reload, every profile that has not had its run in the round is due again.
    void KeepThroughReload(SchedulerHost& host);

    bool Going() const { return m_going; }
    // A tick that began in the round has walked the whole table without a reload: every profile has had its run.
    void End();

private:
    using Key = std::pair<std::string, std::string>; // source, destination

    void Had(const Key& profile) { ++m_had[profile]; }

    bool m_going = false;
    std::map<Key, int> m_had; // how many profiles of each key have had their run
    std::optional<Key> m_running;
    uint64_t m_tableGeneration = 0; // the table whose Countdowns show what is still due
};
