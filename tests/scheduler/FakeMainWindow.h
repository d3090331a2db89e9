#pragma once

#include "profiles/Profile.h"
#include "scheduler/SchedulerHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// The main window as the scheduler sees it, over a real profile table. Reaching a profile beyond
// ProfileCount fails the test. A scheduled run records the profile's name and then does whatever
// DuringRun asks, as handlers do inside a real run's message pump; the error box likewise runs
// DuringErrorBox, as its nested message loop would.
class FakeMainWindow : public SchedulerHost {
public:
    using Lines = std::vector<std::pair<std::string, std::string>>; // name and Interval of each profile

    ProfileSlots ProfileTable;
    int32_t Count = 0;
    uint64_t Generation = 0;
    bool ManualRunInProgress = false;
    bool StartupTimerOn = true;
    std::vector<std::string> Runs;   // names of the profiles run, in order
    std::vector<std::string> Errors; // messages of the error boxes, in order
    std::function<void(int32_t n)> DuringRun;
    std::function<void()> DuringErrorBox;

    // As a reload of Items.txt does: the table holds the given profiles, every Countdown its Interval text.
    void Reload(const Lines& profiles)
    {
        int32_t n = 0;
        for (const auto& [name, interval] : profiles)
            ProfileTable[++n] = Profile { name, "/src/" + name, "/dst/" + name, interval, interval };
        Count = n;
        ++Generation;
    }

    // Every Countdown from profile 1 on: texts in quotes, integers marked "int", doubles written out.
    std::vector<std::string> Countdowns() const
    {
        std::vector<std::string> described;
        for (int32_t n = 1; n <= Count; ++n) {
            const Variant& countdown = ProfileTable[n].Countdown;
            if (countdown.IsText())
                described.push_back('"' + countdown.ToText() + '"');
            else if (countdown.IsInteger())
                described.push_back("int " + countdown.ToText());
            else
                described.push_back(countdown.ToText());
        }
        return described;
    }

    int32_t ProfileCount() const override { return Count; }
    const Variant& SourceOf(int32_t n) const override { return Slot(n).Source; }
    const Variant& DestinationOf(int32_t n) const override { return Slot(n).Destination; }
    Variant& CountdownOf(int32_t n) override { return Slot(n).Countdown; }
    const Variant& IntervalOf(int32_t n) const override { return Slot(n).Interval; }
    uint64_t ProfileTableGeneration() const override { return Generation; }
    bool RunInProgress() const override { return ManualRunInProgress || m_scheduledRuns > 0; }

    void RunScheduledProfile(int32_t n) override
    {
        EXPECT_FALSE(RunInProgress()) << "a run started inside another run";
        Runs.push_back(Slot(n).Name.ToText());
        ++m_scheduledRuns;
        try {
            if (DuringRun)
                DuringRun(n);
        } catch (...) {
            --m_scheduledRuns;
            throw;
        }
        --m_scheduledRuns;
    }

    void ReportError(const std::string& message) override
    {
        Errors.push_back(message);
        if (DuringErrorBox && m_openBoxes == 0) {
            ++m_openBoxes;
            DuringErrorBox();
            --m_openBoxes;
        }
    }

    void StopStartupTimer() override { StartupTimerOn = false; }

private:
    void CheckInTable(int32_t n) const
    {
        if (n < 1 || n > Count) {
            ADD_FAILURE() << "profile " << n << " reached with ProfileCount " << Count;
            throw std::out_of_range("profile number outside ProfileCount");
        }
    }
    Profile& Slot(int32_t n) { CheckInTable(n); return ProfileTable[n]; }
    const Profile& Slot(int32_t n) const { CheckInTable(n); return ProfileTable[n]; }

    int m_scheduledRuns = 0;
    int m_openBoxes = 0;
};
