#include "engine/ScannedFolders.h"

#include "platform/OpenFileLimit.h"
#include "platform/PathNames.h"

#include <utility>

namespace {

// The other half is left for the walk's own levels, the files being copied and whatever the window opens.
size_t KeepingBudget()
{
    const size_t limit = platform::OpenFileLimit();
    constexpr size_t Spare = 64;
    return limit / 2 > Spare ? limit / 2 - Spare : 0;
}

} // namespace

ScannedFolders::ScannedFolders() : m_budget(KeepingBudget()) {}

std::optional<size_t> ScannedFolders::Reserve(const std::string& base)
{
    if (m_kept.size() >= m_budget)
        return std::nullopt;
    m_kept.push_back({base, {}});
    return m_kept.size() - 1;
}

void ScannedFolders::Keep(size_t place, platform::Folder folder)
{
    m_kept.at(place).folder = std::move(folder);
}

const platform::Folder* ScannedFolders::FolderOf(const std::string& path)
{
    if (m_next > 0 && platform::LiesIn(path, m_kept[m_next - 1].base))
        return Enter(m_kept[m_next - 1]);
    if (m_next >= m_kept.size() || !platform::LiesIn(path, m_kept[m_next].base))
        return nullptr;
    if (m_next > 0)
        m_kept[m_next - 1].folder = platform::Folder();
    return Enter(m_kept[m_next++]);
}
