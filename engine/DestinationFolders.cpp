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

namespace {

// A set made anew: clear() would empty every bucket that the largest folder so far needed, at every folder after it.
template <typename Set>
void Empty(Set& set)
{
    set = Set(set.get_allocator());
}

} // namespace

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
    if (!folder) {
        // The chain closed levels on its way, the entered folder perhaps among them.
        m_enteredFolder = nullptr;
        return nullptr;
    }
    if (folder != m_enteredFolder || names != m_enteredFolderNames)
        Enter(folder, names, m_chain.ReachedMadeFolder());
    m_preparedFolder = folder;
    m_preparedFolderPart = FolderPartOf(destination);
    return folder;
}

void DestinationFolders::PrepareAgain()
{
    m_chain = FolderChain({}, m_root);
    m_enteredFolder = nullptr;
    m_preparedFolder = nullptr;
    m_rootFolderSeen = false;
}

void DestinationFolders::Enter(const platform::Folder* folder, const std::vector<std::string>& names,
                               bool madeByThisRun)
{
    m_enteredFolder = folder;
    m_enteredFolderNames = names;
    ++m_folderNumber;
    m_enteredMadeByThisRun = madeByThisRun;
    m_listed = false;
    Empty(m_leftoverParts);
    Empty(m_listedNames);
    m_placedNames.Clear();
}

bool DestinationFolders::ListForLeftovers()
{
    if (m_listed || !m_enteredFolder)
        return false;
    ListOnce();
    return !m_leftoverParts.empty();
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
    if (m_leftoverParts.empty() || !m_enteredFolder)
        return;
    // Only the name a copy of this file would take is a leftover: any other may be the copy of a source.
    const auto leftover = m_leftoverParts.find(FreePartFileName(sourceFolder, name));
    if (leftover == m_leftoverParts.end())
        return;
    m_enteredFolder->Remove(*leftover);
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

void DestinationFolders::ListOnce()
{
    if (m_listed)
        return;
    m_listed = true;
    // A folder this run made held nothing, and this run's own part files never outlive their copies.
    if (m_enteredMadeByThisRun)
        return;
    platform::FolderListing listing(*m_enteredFolder);
    while (const auto entry = listing.Next()) {
        m_listedNames.insert(entry->name);
        if (IsPartFileName(entry->name))
            m_leftoverParts.insert(entry->name);
    }
}

bool DestinationFolders::IsAnotherSpellingOfAPlacedName(const std::string& name)
{
    if (!m_placedNames.HasOtherSpellingOf(name) || !m_enteredFolder)
        return false;
    ListOnce();
    return !m_listedNames.contains(name);
}

void DestinationFolders::Placed(const std::string& name)
{
    m_placedNames.Add(name);
}
