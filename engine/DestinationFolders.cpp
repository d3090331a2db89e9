#include "engine/DestinationFolders.h"

#include "engine/PartFile.h"
#include "platform/TextFile.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

std::string FolderPartOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RootFolderPartOf(const std::string& destinationRoot)
{
    // On Linux "\" and ":" are ordinary characters of a name ("Backup 10:30"); only a root
    // without any "/" can be a Windows path whose drive they mark.
    auto end = destinationRoot.rfind('/');
    if (end == std::string::npos)
        end = destinationRoot.find_last_of("\\:");
    return end == std::string::npos ? std::string() : destinationRoot.substr(0, end + 1);
}

DestinationFolders::DestinationFolders(const std::string& destinationRoot)
    : m_rootFolderPart(RootFolderPartOf(destinationRoot))
{
}

void DestinationFolders::Prepare(const std::string& folder)
{
    if (folder == m_lastKnownFolder)
        return;
    m_leftoverParts.clear();
    const bool exists = ListLeftoverParts(folder) || platform::IsFolder(folder) || CreateBelowRootFolder(folder);
    m_lastKnownFolder = exists ? folder : std::string();
}

void DestinationFolders::PrepareAgain(const std::string& folder)
{
    if (platform::IsFolder(folder))
        return;
    m_lastKnownFolder.clear();
    m_leftoverParts.clear();
    Prepare(folder);
}

bool DestinationFolders::RootFolderExists() const
{
    // An empty folder part would mean the current folder, which no backup may depend on.
    return !m_rootFolderPart.empty() && platform::IsFolder(m_rootFolderPart);
}

void DestinationFolders::RemoveLeftoverPartOf(const std::string& source, const std::string& destination)
{
    if (m_leftoverParts.empty())
        return;
    // Only the name a copy of this file would take is a leftover: any other may be the copy of a source.
    const auto leftover = m_leftoverParts.find(FreePartFileName(source, NameOf(destination)));
    if (leftover == m_leftoverParts.end())
        return;
    ::unlink((FolderPartOf(destination) + *leftover).c_str());
    m_leftoverParts.erase(leftover);
}

bool DestinationFolders::ListLeftoverParts(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (IsPartFileName(name))
            m_leftoverParts.insert(name);
    }
    ::closedir(dir);
    return true;
}

bool DestinationFolders::CreateBelowRootFolder(const std::string& folder)
{
    // A folder that does not begin with the root's folder part would be the root's own folder
    // part or above it; a root without one is never created at all.
    if (m_rootFolderPart.empty() || folder.compare(0, m_rootFolderPart.size(), m_rootFolderPart) != 0)
        return false;
    bool createdLast = false;
    for (auto slash = folder.find('/', m_rootFolderPart.size()); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        if (folder[slash - 1] == '/')
            continue; // "//" names no folder of its own
        const std::string level = folder.substr(0, slash + 1);
        if (m_lastKnownFolder.starts_with(level))
            continue;
        createdLast = ::mkdir(level.c_str(), 0777) == 0;
        if (!createdLast && errno != EEXIST)
            return false;
    }
    return createdLast;
}
