#include "SchedulerFixture.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

using Names = std::vector<std::string>;
using TickNumbers = std::vector<int>;

TEST_F(SchedulerTest, WithNoProfilesTicksAndTheKickDoNothing)
{
    Tick();
    Kick();
    Tick();
    EXPECT_TRUE(window.Runs.empty());
    EXPECT_TRUE(window.Errors.empty());
    EXPECT_FALSE(window.StartupTimerOn);
    EXPECT_FALSE(TimerBusy);
}

TEST_F(SchedulerTest, EachProfileRunsWhenItsIntervalHasRunDown)
{
    window.Reload({ { "Three", "3" }, { "Zero", "0" }, { "Negative", "-2" }, { "Fraction", "2.5" } });

    // Before the kick the countdowns hold the Interval texts: only Interval 0 is due.
    EXPECT_EQ(TickRuns(), Names { "Zero" });
    EXPECT_EQ(window.Countdowns(), (Names { "2", "\"0\"", "-3", "1.5" }));

    Kick();
    EXPECT_FALSE(window.StartupTimerOn);
    EXPECT_EQ(window.Countdowns(), (Names { "int 0", "int 0", "int 0", "int 0" }));

    // The kick's tick runs all of them, each Countdown then restarting from a copy of its Interval.
    EXPECT_EQ(TickRuns(), (Names { "Three", "Zero", "Negative", "Fraction" }));
    EXPECT_EQ(window.Countdowns(), (Names { "\"3\"", "\"0\"", "\"-2\"", "\"2.5\"" }));
    Tick();
    Tick();
    EXPECT_EQ(window.Countdowns(), (Names { "1", "\"0\"", "-4", "0.5" }));

    // Interval 3 runs again on the fourth tick after its run, Interval 0 at every tick, and a negative
    // or fractional Interval never comes back to exactly 0.
    const auto ran = TicksThatRun(20);
    EXPECT_EQ(ran.at("Three"), (TickNumbers { 2, 6, 10, 14, 18 }));
    EXPECT_EQ(ran.at("Zero").size(), 20u);
    EXPECT_FALSE(ran.contains("Negative"));
    EXPECT_FALSE(ran.contains("Fraction"));
    EXPECT_TRUE(window.Errors.empty());
    EXPECT_FALSE(TimerBusy);
}

TEST_F(SchedulerTest, DueProfilesRunInTableOrderAfterThoseBeforeThemAreCountedDown)
{
    window.Reload({ { "A", "2" }, { "B", "0" }, { "C", "3" }, { "D", "0" } });
    std::vector<Names> seenInsideRuns;
    window.DuringRun = [&](int32_t) { seenInsideRuns.push_back(window.Countdowns()); };

    EXPECT_EQ(TickRuns(), (Names { "B", "D" }));
    // B's run sees A already counted down and C not yet; D's run sees C counted down too.
    ASSERT_EQ(seenInsideRuns.size(), 2u);
    EXPECT_EQ(seenInsideRuns[0], (Names { "1", "\"0\"", "\"3\"", "\"0\"" }));
    EXPECT_EQ(seenInsideRuns[1], (Names { "1", "\"0\"", "2", "\"0\"" }));
    EXPECT_EQ(window.Countdowns(), (Names { "1", "\"0\"", "2", "\"0\"" }));
}

TEST_F(SchedulerTest, IntervalsFollowTheLocalesDecimalSeparator)
{
    const auto comma = FindCommaLocale();
    if (!comma)
        GTEST_SKIP() << NoCommaLocale;
    NumericLocale locale(*comma);
    ASSERT_TRUE(locale.Active());

    window.Reload({ { "Comma", "2,5" }, { "Dot", "2.5" } });
    Tick();
    EXPECT_EQ(window.Countdowns(), (Names { "1,5", "\"2.5\"" }));
    EXPECT_EQ(window.Errors, Names { "Invalid variant type conversion" });
}

TEST_F(SchedulerTest, AnIntervalThatDoesNotConvertIsReportedOnceAndPassedOverUntilTheNextReload)
{
    const FakeMainWindow::Lines lines = { { "Before", "1" }, { "Blank", "" }, { "After", "0" } };
    window.Reload(lines);
    Names countdownsWhenBoxOpens;
    Names runsBeforeBox;
    bool busyWhileBoxOpen = true;
    Names runsWhileBoxOpen;
    window.DuringErrorBox = [&] {
        countdownsWhenBoxOpens = window.Countdowns();
        runsBeforeBox = window.Runs;
        busyWhileBoxOpen = TimerBusy;
        runsWhileBoxOpen = TickRuns(); // ticks go on while the box waits for the user
    };

    // The first tick counts "Before" down, stops at "Blank" and does not reach "After".
    Tick();
    EXPECT_EQ(window.Errors, Names { "Invalid variant type conversion" });
    EXPECT_EQ(countdownsWhenBoxOpens, (Names { "0", "\"\"", "\"0\"" }));
    EXPECT_TRUE(runsBeforeBox.empty());
    EXPECT_FALSE(busyWhileBoxOpen);
    EXPECT_EQ(runsWhileBoxOpen, (Names { "Before", "After" }));
    EXPECT_FALSE(TimerBusy);

    // Later ticks, the kick's included, pass "Blank" over without a second box.
    window.DuringErrorBox = nullptr;
    EXPECT_EQ(TickRuns(), Names { "After" });
    Kick();
    EXPECT_EQ(TickRuns(), (Names { "Before", "After" }));
    EXPECT_EQ(TicksThatRun(4).at("Before"), (TickNumbers { 2, 4 }));
    EXPECT_EQ(window.Errors.size(), 1u);

    // A reload forgets what was passed over: the bad line is reported again, once.
    window.Reload(lines);
    Tick();
    Tick();
    EXPECT_EQ(window.Errors.size(), 2u);
    EXPECT_FALSE(TimerBusy);
}

TEST_F(SchedulerTest, AFailedRunEndsTheTickButNotTheScheduler)
{
    window.Reload({ { "Failing", "0" }, { "Next", "0" } });
    bool failNow = true;
    window.DuringRun = [&](int32_t) {
        if (std::exchange(failNow, false))
            throw Error("Cannot create file /dst/x");
    };

    EXPECT_EQ(TickRuns(), Names { "Failing" });
    EXPECT_EQ(window.Errors, Names { "Cannot create file /dst/x" });
    EXPECT_FALSE(TimerBusy);
    // Only a countdown that does not convert is passed over; the failed profile is still due.
    EXPECT_EQ(TickRuns(), (Names { "Failing", "Next" }));
    EXPECT_EQ(window.Errors.size(), 1u);
}
