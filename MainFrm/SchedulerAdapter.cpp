#include "MainFrm/SchedulerAdapter.h"

#include "MainFrm/TMain.h"
#include "scheduler/Scheduler.h"

#include <QTimer>

int32_t SchedulerAdapter::ProfileCount() const
{
    return m_main.ProfileCount;
}

const Variant& SchedulerAdapter::SourceOf(int32_t n) const
{
    return m_main.ProfileTable[n].Source;
}

const Variant& SchedulerAdapter::DestinationOf(int32_t n) const
{
    return m_main.ProfileTable[n].Destination;
}

Variant& SchedulerAdapter::CountdownOf(int32_t n)
{
    return m_main.ProfileTable[n].Countdown;
}

const Variant& SchedulerAdapter::IntervalOf(int32_t n) const
{
    return m_main.ProfileTable[n].Interval;
}

uint64_t SchedulerAdapter::ProfileTableGeneration() const
{
    return m_main.ProfileTable.Generation();
}

bool SchedulerAdapter::RunInProgress() const
{
    return m_main.RunInProgress();
}

void SchedulerAdapter::RunScheduledProfile(int32_t n)
{
    // Once the program has been asked to end, a tick finishes the run it is in but starts no more.
    if (!m_main.Quitting())
        m_main.RunScheduledProfile(n);
}

void SchedulerAdapter::ReportError(const std::string& message)
{
    m_main.Dialogs().ShowError(message);
}

void SchedulerAdapter::StopStartupTimer()
{
    m_main.Timer3->stop();
}

// --- The timer handlers of the main window ----------------------------------------------------

void TMain::Timer1Timer(QObject*)
{
    ::Timer1Timer(*m_scheduler, TimerBusy, m_scheduler->Memory());
}

void TMain::Timer3Timer(QObject*)
{
    ::Timer3Timer(*m_scheduler, m_scheduler->Memory());
}
