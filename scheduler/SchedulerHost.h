#pragma once

#include "scheduler/Variant.h"

#include <cstdint>
#include <string>

// What the scheduler needs of the main window: its profile table, its runs, its error box and its start-up
// timer. Profile numbers count from 1 and are valid up to ProfileCount() at the moment of the call.
class SchedulerHost {
public:
    virtual ~SchedulerHost() = default;

    virtual int32_t ProfileCount() const = 0;
    virtual const Variant& SourceOf(int32_t n) const = 0;
    virtual const Variant& DestinationOf(int32_t n) const = 0;
    virtual Variant& CountdownOf(int32_t n) = 0;
    virtual const Variant& IntervalOf(int32_t n) const = 0;

    // Changes at every reload of the profile table (New, Delete, Edit). A reload renumbers the profiles
    // and resets every Countdown to its Interval, so numbers taken before it mean nothing after it.
    virtual uint64_t ProfileTableGeneration() const = 0;

    // True while any run is in progress, manual or scheduled.
    virtual bool RunInProgress() const = 0;

    // Runs profile n for the scheduler: clears StopRequested, makes ToolButton12 the Stop button (Mstop,
    // image 4), shows the profile's Name in panel 2, calls RunBackup with its Source and Destination, sets
    // the image of list item n-1 to LastRunFailed (only if the table was not reloaded meanwhile and the item
    // exists), and empties panels 2 and 3. The run pumps messages, so any handler may run inside it,
    // Timer1Timer and Timer3Timer included, and the table may be reloaded.
    virtual void RunScheduledProfile(int32_t n) = 0;

    // The standard error box.
    virtual void ReportError(const std::string& message) = 0;

    // Switches Timer3 off for good.
    virtual void StopStartupTimer() = 0;
};
