#pragma once

#include "FakeMainWindow.h"
#include "NumericLocale.h"
#include "scheduler/Scheduler.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// The main window's scheduler state and its two timer handlers, called directly instead of waiting for
// real seconds. Numbers are read with "." unless a test switches the locale.
class SchedulerTest : public ::testing::Test {
protected:
    void Tick() { Timer1Timer(window, TimerBusy, memory); }
    void Kick() { Timer3Timer(window, memory); }

    // The names of the profiles that one tick runs, in order.
    std::vector<std::string> TickRuns()
    {
        const size_t before = window.Runs.size();
        Tick();
        return { window.Runs.begin() + static_cast<std::ptrdiff_t>(before), window.Runs.end() };
    }

    // For each profile run during ticks 1..ticks, the numbers of the ticks that ran it.
    std::map<std::string, std::vector<int>> TicksThatRun(int ticks)
    {
        std::map<std::string, std::vector<int>> ran;
        for (int tick = 1; tick <= ticks; ++tick)
            for (const auto& name : TickRuns())
                ran[name].push_back(tick);
        return ran;
    }

    NumericLocale numbers { "C" };
    FakeMainWindow window;
    bool TimerBusy = false;
    SchedulerMemory memory;
};
