#include "scheduler/StartupRound.h"

namespace {

std::pair<std::string, std::string> KeyOf(const SchedulerHost& host, int32_t n)
{
    return {host.SourceOf(n).ToText(), host.DestinationOf(n).ToText()};
}

} // namespace

void StartupRound::Kicked(SchedulerHost& host, const PassedOverProfiles& passedOver)
{
    m_going = true;
    m_had.clear();
    m_tableGeneration = host.ProfileTableGeneration();
    for (int32_t n = 1; n <= host.ProfileCount(); ++n)
        if (passedOver.Contains(n, m_tableGeneration))
            Had(KeyOf(host, n));
    if (m_running)
        Had(*m_running);
}

void StartupRound::Running(SchedulerHost& host, int32_t n)
{
    m_running = KeyOf(host, n);
    if (m_going)
        Had(*m_running);
}

void StartupRound::KeepThroughReload(SchedulerHost& host)
{
    if (!m_going || host.ProfileTableGeneration() == m_tableGeneration)
        return;
    m_tableGeneration = host.ProfileTableGeneration();
    std::map<Key, int> inTable;
    for (int32_t n = 1; n <= host.ProfileCount(); ++n)
        ++inTable[KeyOf(host, n)];
    for (int32_t n = 1; n <= host.ProfileCount(); ++n) {
        const Key key = KeyOf(host, n);
        const auto had = m_had.find(key);
        if (had == m_had.end() || had->second < inTable[key])
            host.CountdownOf(n) = Variant::Integer(0);
    }
}

void StartupRound::End()
{
    m_going = false;
    m_had.clear();
}
