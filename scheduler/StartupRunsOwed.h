#pragma once

#include "scheduler/PassedOverProfiles.h"
#include "scheduler/SchedulerHost.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

// The runs that the start-up kick still owes, by profile name. A reload of the table (New, Delete or Edit,
// most often made while the start-up runs go on) restarts every Countdown at its Interval: without this,
// every profile after the running one would lose its start-up run and wait a whole period.
class StartupRunsOwed {
public:
    // The kick: every profile is owed a run, but one that is running now, which counts down from its
    // Interval once it ends, and one that its Countdown passes over.
    void Kicked(SchedulerHost& host, const PassedOverProfiles& passedOver);

    // Profile n's run starts, which is its start-up run; Ran says it has ended.
    void Running(SchedulerHost& host, int32_t n);
    void Ran() { m_running.reset(); }

    // After a reload, the profiles still owed a run are due again, in the reloaded table's order.
    void KeepThroughReload(SchedulerHost& host);

    bool Any() const { return !m_owed.empty(); }
    // A tick that began with runs owed has walked the whole table without a reload: each has had its run.
    void Forget() { m_owed.clear(); }

private:
    void Given(const std::string& name);

    std::map<std::string, int> m_owed; // upper-cased name: how many profiles of that name are owed a run
    std::optional<std::string> m_running;
    uint64_t m_tableGeneration = 0; // the table whose Countdowns show what is owed
};
