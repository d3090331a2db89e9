#pragma once

#include "scheduler/PassedOverProfiles.h"
#include "scheduler/SchedulerHost.h"
#include "scheduler/StartupRound.h"

// What the scheduler keeps from one tick to the next besides TimerBusy.
struct SchedulerMemory {
    PassedOverProfiles passedOver;
    StartupRound startupRound;
};

// One tick of Timer1, every second. Walks the profiles in table order: a profile whose Countdown is 0 is
// run and its Countdown then reloaded from its Interval; any other is counted down by one.
// A tick that finds TimerBusy set or any run in progress is dropped, so runs never nest and every Countdown
// stands still during a run. A failure does not escape: it ends the tick with TimerBusy cleared and is then
// reported through host.ReportError; a Countdown that does not convert also puts its profile in
// memory.passedOver. A profile that has not had its run of the start-up round is due again after a reload.
void Timer1Timer(SchedulerHost& host, bool& TimerBusy, SchedulerMemory& memory);

// The start-up kick of Timer3: switches Timer3 off and sets every Countdown to the integer 0, so the next
// tick runs every profile once.
void Timer3Timer(SchedulerHost& host, SchedulerMemory& memory);
