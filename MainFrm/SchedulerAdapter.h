#pragma once

#include "scheduler/PassedOverProfiles.h"
#include "scheduler/SchedulerHost.h"

class TMain;

// The main window as the scheduler sees it. A separate object, since the window's own fields
// (ProfileCount, ...) carry the names that the scheduler's questions would take.
class SchedulerAdapter : public SchedulerHost {
public:
    explicit SchedulerAdapter(TMain& main) : m_main(main) {}

    int32_t ProfileCount() const override;
    Variant& CountdownOf(int32_t n) override;
    const Variant& IntervalOf(int32_t n) const override;
    uint64_t ProfileTableGeneration() const override;
    bool RunInProgress() const override;
    void RunScheduledProfile(int32_t n) override;
    void ReportError(const std::string& message) override;
    void StopStartupTimer() override;

    PassedOverProfiles& PassedOver() { return m_passedOver; }

private:
    TMain& m_main;
    PassedOverProfiles m_passedOver;
};
