#include "engine/DestinationFolders.h"

#include "engine/PartFile.h"
#include "platform/Listing.h"
#include "platform/TextFile.h"

#include <cerrno>

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
    : m_root(destinationRoot), m_rootFolderPart(RootFolderPartOf(destinationRoot)), m_chain({}, destinationRoot)
{
}

const platform::Folder* DestinationFolders::Prepare(const std::string& destination, UnreachableFolder& failure)
{
    // The table lists a folder's files one after another: most files go where the one before went.
    if (m_preparedFolder && platform::LiesIn(destination, m_preparedFolderPart))
        return m_preparedFolder;
    m_preparedFolder = nullptr;
    m_rootFolderSeen = false;
    if (!m_chain.Top().valid())
        m_chain = FolderChain(OpenRoot(), m_root);
    const std::vector<std::string> names = FolderNamesOf(FolderPartOf(destination.substr(m_root.size())));
    const platform::Folder* folder = m_chain.Reach(names, true, failure);
    if (folder && (folder != m_listedFolder || names != m_listedFolderNames)) {
        ListLeftoverParts(*folder, m_chain.ReachedMadeFolder());
        m_listedFolder = folder;
        m_listedFolderNames = names;
    }
    if (folder) {
        m_preparedFolder = folder;
        m_preparedFolderPart = FolderPartOf(destination);
    }
    return folder;
}

void DestinationFolders::PrepareAgain()
{
    m_chain = FolderChain({}, m_root);
    m_listedFolder = nullptr;
    m_preparedFolder = nullptr;
    m_rootFolderSeen = false;
    m_leftoverParts.clear();
    m_listedNames.clear();
}

bool DestinationFolders::RootFolderExists()
{
    // An empty folder part would mean the current folder, which no backup may depend on.
    if (!m_rootFolderSeen)
        m_rootFolderSeen = !m_rootFolderPart.empty() && platform::IsFolder(m_rootFolderPart);
    return m_rootFolderSeen;
}

void DestinationFolders::RemoveLeftoverPartOf(const platform::Folder& sourceFolder, const std::string& name)
{
    if (m_leftoverParts.empty() || !m_listedFolder)
        return;
    // Only the name a copy of this file would take is a leftover: any other may be the copy of a source.
    const auto leftover = m_leftoverParts.find(FreePartFileName(sourceFolder, name));
    if (leftover == m_leftoverParts.end())
        return;
    m_listedFolder->Remove(*leftover);
    m_leftoverParts.erase(leftover);
}

// The root as the profile names it, made in its folder part when it is missing there: a root that is its
// own folder part (one ending in "/") stands for the drive and is never made.
platform::Folder DestinationFolders::OpenRoot() const
{
    platform::Folder root = platform::Folder::OpenTop(m_root);
    if (root.valid() || root.error() != ENOENT || m_rootFolderPart.empty() || m_rootFolderPart == m_root)
        return root;
    const platform::Folder drive = platform::Folder::OpenTop(m_rootFolderPart);
    if (!drive.valid() || !(drive.MakeChild(m_root.substr(m_rootFolderPart.size())) || errno == EEXIST))
        return root;
    return platform::Folder::OpenTop(m_root);
}

void DestinationFolders::ListLeftoverParts(const platform::Folder& folder, bool madeByThisRun)
{
    m_leftoverParts.clear();
    m_listedNames.clear();
    m_placedNames.clear();
    // A folder this run made held nothing, and this run's own part files never outlive their copies.
    if (madeByThisRun)
        return;
    platform::FolderListing listing(folder);
    while (const auto entry = listing.Next()) {
        m_listedNames.insert(entry->name);
        if (IsPartFileName(entry->name))
            m_leftoverParts.insert(entry->name);
    }
}

bool DestinationFolders::IsAnotherSpellingOfAPlacedName(const std::string& name) const
{
    if (m_listedNames.contains(name))
        return false;
    const auto placed = m_placedNames.find(platform::AsciiUpper(name));
    return placed != m_placedNames.end() && placed->second != name;
}

void DestinationFolders::Placed(const std::string& name)
{
    m_placedNames.try_emplace(platform::AsciiUpper(name), name);
}
