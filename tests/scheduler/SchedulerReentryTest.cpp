// Handlers that the run's message pump delivers in the middle of a tick.
#include "SchedulerFixture.h"

#include <gtest/gtest.h>

using Names = std::vector<std::string>;

TEST_F(SchedulerTest, RunsNeverNestAndCountdownsStandStillDuringAnyRun)
{
    window.Reload({ { "Due", "0" }, { "Later", "2" } });

    // A manual run is in progress: the tick is dropped whole.
    window.ManualRunInProgress = true;
    EXPECT_TRUE(TickRuns().empty());
    EXPECT_EQ(window.Countdowns(), (Names { "\"0\"", "\"2\"" }));
    EXPECT_FALSE(TimerBusy);

    // The first tick after it runs the profile that was due.
    window.ManualRunInProgress = false;
    EXPECT_EQ(TickRuns(), Names { "Due" });
    EXPECT_EQ(window.Countdowns(), (Names { "\"0\"", "1" }));

    // Ticks delivered inside a scheduled run are dropped as well.
    window.DuringRun = [&](int32_t) {
        EXPECT_TRUE(TimerBusy);
        Tick();
        Tick();
    };
    EXPECT_EQ(TickRuns(), Names { "Due" });
    EXPECT_EQ(window.Countdowns(), (Names { "\"0\"", "0" }));
    EXPECT_FALSE(TimerBusy);
}

TEST_F(SchedulerTest, TheKickDuringARunSetsEveryCountdownAndTheRunningProfileRestartsAfterIt)
{
    window.Reload({ { "Before", "5" }, { "Running", "0" }, { "After", "5" } });
    window.DuringRun = [&](int32_t n) {
        if (window.StartupTimerOn && n == 2)
            Kick();
    };

    // The profile after the running one runs in the same tick...
    EXPECT_EQ(TickRuns(), (Names { "Running", "After" }));
    EXPECT_FALSE(window.StartupTimerOn);
    EXPECT_EQ(window.Countdowns(), (Names { "int 0", "\"0\"", "\"5\"" }));
    // ...the one before it at the next tick, while the running one keeps its own period.
    EXPECT_EQ(TickRuns(), (Names { "Before", "Running" }));
    EXPECT_EQ(window.Countdowns(), (Names { "\"5\"", "\"0\"", "4" }));
    EXPECT_TRUE(window.Errors.empty());
}

TEST_F(SchedulerTest, AReloadInsideARunNeverTakesTheTickPastTheNewTable)
{
    // The running profile deletes the two after it: the tick ends with the shorter table.
    window.Reload({ { "A", "0" }, { "B", "0" }, { "C", "0" } });
    window.DuringRun = [&](int32_t n) {
        if (n == 1)
            window.Reload({ { "A", "0" } });
    };
    EXPECT_EQ(TickRuns(), Names { "A" });

    // A profile before the last one is deleted while the last one runs: nothing is written past the end.
    window.Reload({ { "A", "3" }, { "B", "3" }, { "C", "0" } });
    window.DuringRun = [&](int32_t n) {
        if (n == 3)
            window.Reload({ { "B", "3" }, { "C", "0" } });
    };
    EXPECT_EQ(TickRuns(), Names { "C" });
    EXPECT_EQ(window.Countdowns(), (Names { "\"3\"", "\"0\"" }));

    // The tick goes on with what the reload left after the running profile.
    window.Reload({ { "A", "0" }, { "B", "0" }, { "C", "0" }, { "D", "0" } });
    window.DuringRun = [&](int32_t n) {
        if (n == 1)
            window.Reload({ { "A", "0" }, { "B", "0" }, { "C", "0" } });
    };
    EXPECT_EQ(TickRuns(), (Names { "A", "B", "C" }));

    // The running profile's Countdown is not reloaded over what came after the reload.
    window.Reload({ { "Edited", "0" }, { "Other", "4" } });
    window.DuringRun = [&](int32_t n) {
        if (n == 1) {
            window.Reload({ { "Edited", "9" }, { "Other", "4" } });
            Kick();
        }
    };
    EXPECT_EQ(TickRuns(), (Names { "Edited", "Other" }));
    EXPECT_EQ(window.Countdowns(), (Names { "int 0", "\"4\"" }));

    EXPECT_TRUE(window.Errors.empty());
    EXPECT_FALSE(TimerBusy);
}

TEST_F(SchedulerTest, AReloadDuringTheStartupRunsGivesEveryProfileWithoutItsRunOneAndNoMoreAfterTheRound)
{
    window.Reload({ { "A", "60" }, { "Long", "60" }, { "B", "60" }, { "C", "60" }, { "E", "60" }, { "F", "60" } });
    Kick();
    // While Long runs, C is deleted, D is added, B moves before Long (another program rewrote the file), E is
    // renamed, which keeps its folders, and F is given another source under its name.
    window.DuringRun = [&](int32_t n) {
        if (window.ProfileTable[n].Name.ToText() == "Long" && window.Runs.size() == 2) {
            window.Reload({ { "B", "60" }, { "Long", "60" }, { "A", "60" }, { "D", "60" }, { "E", "60" },
                            { "F", "60" } });
            window.ProfileTable[5].Name = "E2";
            window.ProfileTable[6].Source = "/src/F-moved";
        }
    };
    EXPECT_EQ(TickRuns(), (Names { "A", "Long", "D", "E2", "F" }));
    // B, now before the running profile, has its run at the next tick.
    EXPECT_EQ(TickRuns(), Names { "B" });
    EXPECT_EQ(window.Countdowns(), (Names { "\"60\"", "59", "58", "59", "59", "59" }));

    // Two profiles alike cannot be told apart: both run again rather than one not at all.
    window.Reload({ { "X", "60" }, { "Twin", "60" }, { "Twin", "60" } });
    Kick();
    const size_t runsBefore = window.Runs.size();
    window.DuringRun = [&](int32_t) {
        if (window.Runs.size() == runsBefore + 1 || window.Runs.size() == runsBefore + 2)
            window.Reload({ { "Twin", "60" }, { "Twin", "60" } });
    };
    EXPECT_EQ(TicksThatRun(3), (std::map<std::string, std::vector<int>> { { "X", { 1 } }, { "Twin", { 1, 2, 2 } } }));

    // Once a tick has walked the table, a reload gives no start-up run again, not even to a new profile.
    window.Reload({ { "Twin", "60" }, { "Twin", "60" }, { "Z", "60" } });
    EXPECT_TRUE(TicksThatRun(3).empty());
}
