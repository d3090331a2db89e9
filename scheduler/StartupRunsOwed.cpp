#include "scheduler/StartupRunsOwed.h"

#include "platform/Listing.h"

namespace {

// Profile names are told apart as the profile commands tell them apart.
std::string NameKey(const SchedulerHost& host, int32_t n)
{
    return platform::AsciiUpper(host.NameOf(n).ToText());
}

} // namespace

void StartupRunsOwed::Kicked(SchedulerHost& host, const PassedOverProfiles& passedOver)
{
    m_owed.clear();
    m_tableGeneration = host.ProfileTableGeneration();
    for (int32_t n = 1; n <= host.ProfileCount(); ++n)
        if (!passedOver.Contains(n, m_tableGeneration))
            ++m_owed[NameKey(host, n)];
    if (m_running)
        Given(*m_running);
}

void StartupRunsOwed::Running(SchedulerHost& host, int32_t n)
{
    m_running = NameKey(host, n);
    Given(*m_running);
}

void StartupRunsOwed::Given(const std::string& name)
{
    const auto owed = m_owed.find(name);
    if (owed != m_owed.end() && --owed->second == 0)
        m_owed.erase(owed);
}

void StartupRunsOwed::KeepThroughReload(SchedulerHost& host)
{
    if (m_owed.empty() || host.ProfileTableGeneration() == m_tableGeneration)
        return;
    m_tableGeneration = host.ProfileTableGeneration();
    std::map<std::string, int> toGive = m_owed;
    for (int32_t n = 1; n <= host.ProfileCount(); ++n) {
        const auto owed = toGive.find(NameKey(host, n));
        if (owed != toGive.end() && owed->second-- > 0)
            host.CountdownOf(n) = Variant::Integer(0);
    }
}
