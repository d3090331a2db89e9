#include "scheduler/StartupRunsOwed.h"

namespace {

std::pair<std::string, std::string> KeyOf(const SchedulerHost& host, int32_t n)
{
    return {host.SourceOf(n).ToText(), host.DestinationOf(n).ToText()};
}

} // namespace

void StartupRunsOwed::Kicked(SchedulerHost& host, const PassedOverProfiles& passedOver)
{
    m_owed.clear();
    m_tableGeneration = host.ProfileTableGeneration();
    for (int32_t n = 1; n <= host.ProfileCount(); ++n)
        if (!passedOver.Contains(n, m_tableGeneration))
            ++m_owed[KeyOf(host, n)];
    if (m_running)
        Given(*m_running);
}

void StartupRunsOwed::Running(SchedulerHost& host, int32_t n)
{
    m_running = KeyOf(host, n);
    Given(*m_running);
}

void StartupRunsOwed::Given(const Key& profile)
{
    const auto owed = m_owed.find(profile);
    if (owed != m_owed.end() && --owed->second == 0)
        m_owed.erase(owed);
}

void StartupRunsOwed::KeepThroughReload(SchedulerHost& host)
{
    if (m_owed.empty() || host.ProfileTableGeneration() == m_tableGeneration)
        return;
    m_tableGeneration = host.ProfileTableGeneration();
    // Runs go in table order: of two alike, the one that ran is the first.
    std::map<Key, int> toGive = m_owed;
    for (int32_t n = host.ProfileCount(); n >= 1; --n) {
        const auto owed = toGive.find(KeyOf(host, n));
        if (owed != toGive.end() && owed->second-- > 0)
            host.CountdownOf(n) = Variant::Integer(0);
    }
}
