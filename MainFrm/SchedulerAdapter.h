#pragma once

#include "scheduler/Scheduler.h"

class TMain;

// The main window as the scheduler sees it. A separate object, since the window's own fields
// (ProfileCount, ...) carry the names that the scheduler's questions would take.
class SchedulerAdapter : public SchedulerHost {
public:
    explicit SchedulerAdapter(TMain& main) : m_main(main) {}

    int32_t ProfileCount() const override;
    const Variant& SourceOf(int32_t n) const override;
    const Variant& DestinationOf(int32_t n) const override;
    Variant& CountdownOf(int32_t n) override;
    const Variant& IntervalOf(int32_t n) const override;
    uint64_t ProfileTableGeneration() const override;
    bool RunInProgress() const override;
    void RunScheduledProfile(int32_t n) override;
    void ReportError(const std::string& message) override;
    void StopStartupTimer() override;

    SchedulerMemory& Memory() { return m_memory; }

private:
    TMain& m_main;
    SchedulerMemory m_memory;
};
