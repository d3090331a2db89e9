#include "scheduler/Scheduler.h"

#include "platform/Error.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>

namespace {

// Holds TimerBusy set for the life of a tick and clears it on every way out, an error included; a flag
// left set would drop every later tick.
class BusyWhileTicking {
public:
    explicit BusyWhileTicking(bool& busy) : m_busy(busy) { m_busy = true; }
    ~BusyWhileTicking() { m_busy = false; }
    BusyWhileTicking(const BusyWhileTicking&) = delete;
    BusyWhileTicking& operator=(const BusyWhileTicking&) = delete;

private:
    bool& m_busy;
};

// Whether profile n's Countdown equals 0. A Countdown that does not convert passes the profile over from
// now on, and the error ends the tick.
bool IsDue(SchedulerHost& host, int32_t n, PassedOverProfiles& passedOver)
{
    try {
        return host.CountdownOf(n).EqualsZero();
    } catch (const Error&) {
        passedOver.Add(n, host.ProfileTableGeneration());
        throw;
    }
}

void CountDown(SchedulerHost& host, int32_t n)
{
    Variant& countdown = host.CountdownOf(n);
    countdown = countdown.MinusOne();
}

void HandleProfiles(SchedulerHost& host, SchedulerMemory& memory)
{
    memory.startupRound.KeepThroughReload(host);
    const bool inRoundAtStart = memory.startupRound.Going();
    const uint64_t tableAtStart = host.ProfileTableGeneration();
    int32_t c = host.ProfileCount();
    for (int32_t n = 1; n <= c; ++n) {
        if (memory.passedOver.Contains(n, host.ProfileTableGeneration()))
            continue;
        if (!IsDue(host, n, memory.passedOver)) {
            CountDown(host, n);
            continue;
        }
        const uint64_t tableBeforeRun = host.ProfileTableGeneration();
        memory.startupRound.Running(host, n);
        host.RunScheduledProfile(n);
        memory.startupRound.Ran();
        if (host.ProfileTableGeneration() == tableBeforeRun) {
            host.CountdownOf(n) = host.IntervalOf(n);
        } else {
            // The table was reloaded inside the run: n may now be another profile or none, and the reload
            // already restarted every Countdown. Go on with what the reload left after n, never past its end.
            memory.startupRound.KeepThroughReload(host);
            c = std::min(c, host.ProfileCount());
        }
    }
    if (inRoundAtStart && host.ProfileTableGeneration() == tableAtStart)
        memory.startupRound.End();
}

} // namespace

void Timer1Timer(SchedulerHost& host, bool& TimerBusy, SchedulerMemory& memory)
{
    if (TimerBusy || host.RunInProgress())
        return;

    std::optional<std::string> failure;
    {
        BusyWhileTicking busy(TimerBusy);
        try {
            HandleProfiles(host, memory);
        } catch (const std::exception& e) {
            failure = e.what();
        }
    }
    // Reported only once the tick is over: the error box waits for the user in a nested message loop, and
    // the scheduler must keep ticking meanwhile.
    if (failure)
        host.ReportError(*failure);
}

void Timer3Timer(SchedulerHost& host, SchedulerMemory& memory)
{
    host.StopStartupTimer();
    for (int32_t n = 1; n <= host.ProfileCount(); ++n)
        host.CountdownOf(n) = Variant::Integer(0);
    memory.startupRound.Kicked(host, memory.passedOver);
}
