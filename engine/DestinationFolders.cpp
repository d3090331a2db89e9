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

// Whether folder holds both names as entries of their own. A disk that ignores letter case holds one
// entry for two names that differ in case alone, under either spelling.
bool ListsBoth(const platform::Folder& folder, std::string_view one, std::string_view other)
{
    bool seenOne = false;
    bool seenOther = false;
    platform::FolderListing listing(folder);
    while (const auto entry = listing.Next()) {
        seenOne = seenOne || entry->name == one;
        seenOther = seenOther || entry->name == other;
        if (seenOne && seenOther)
            return true;
    }
    return false;
}

} // namespace

DestinationFolders::DestinationFolders(const std::string& destinationRoot)
    : m_root(destinationRoot), m_rootFolderPart(RootFolderPartOf(destinationRoot)),
      m_ownersKept(platform::RunningUser() == 0), m_chain({}, destinationRoot)
{
}

// A folder below the root stands for a source folder, and lets in nobody that folder keeps out: a home folder
// of mode 700 would otherwise show its files to every user of the backup disk. Two folders can claim that:
// the one its path names (the backup's layout), and the one as many levels above the files' source folder as
// the kernel finds it (a source named through a link and ".." is read elsewhere). Made private, the folder gets
// what both let in, with the owner's bits always (the run writes into it) and the sticky bit of either (a
// shared folder's files stay their owners' to remove); run as root, the owner of the one its path names, as
// each copy keeps its source's. Where neither can be looked at, it stays private.
void DestinationFolders::MirrorSourceFolder(const platform::Folder& made, const std::vector<std::string>& names,
                                            size_t level, const platform::Folder* sourceFolder)
{
    const auto folderOnly = [](std::optional<platform::FileStatus> status) {
        return status && status->kind == platform::EntryKind::Folder ? status : std::nullopt;
    };
    const auto named = folderOnly(platform::StatusOfPath(
        platform::PathOfNames({names.begin(), names.begin() + static_cast<std::ptrdiff_t>(level) + 1})));
    const auto read = folderOnly(sourceFolder && sourceFolder->valid()
                                     ? platform::StatusOfFolderAbove(*sourceFolder, names.size() - 1 - level)
                                     : std::nullopt);
    if (!named && !read)
        return;
    const mode_t bothLetIn = (named ? named->permissions : 0777) & (read ? read->permissions : 0777) & 0777;
    const mode_t sticky = ((named ? named->permissions : 0) | (read ? read->permissions : 0)) & 01000;
    const platform::FileStatus& owner = named ? *named : *read;
    if (m_ownersKept)
        platform::SetOwner(made.descriptor(), owner.owner, owner.group);
    platform::SetPermissions(made.descriptor(), bothLetIn | sticky | 0700);
}

const platform::Folder* DestinationFolders::Prepare(const std::string& destination, UnreachableFolder& failure,
                                                    const SourceFolderOf& sourceFolder)
{
    // The table lists a folder's files one after another: most files go where the one before went.
    if (m_preparedFolder && platform::LiesIn(destination, m_preparedFolderPart))
        return m_preparedFolder;
    m_preparedFolder = nullptr;
    m_rootFolderSeen = false;
    if (!m_chain.Top().valid())
        m_chain = FolderChain(OpenRoot(), m_root);
    const std::vector<std::string> names = FolderNamesOf(FolderPartOf(destination.substr(m_root.size())));
    FolderChain::MadeFolder mirror;
    if (sourceFolder)
        mirror = [&](const platform::Folder& made, size_t level) {
            MirrorSourceFolder(made, names, level, sourceFolder());
        };
    const platform::Folder* folder = m_chain.Reach(names, true, failure, mirror);
    if (folder && (folder != m_enteredFolder || names != m_enteredFolderNames)) {
        if (IsRefusedAsAnotherSpelling(names, destination, failure))
            folder = nullptr;
        else
            Enter(folder, names, m_chain.ReachedMadeFolder());
    }
    if (!folder) {
        // The chain closed levels on its way, the entered folder perhaps among them.
        m_enteredFolder = nullptr;
        return nullptr;
    }
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
    m_placedNames.Clear();
}

// A folder this run entered under another spelling, on a disk that ignores letter case: the files of the two
// would meet in one folder, where each would replace the other's of the same name. Its files are refused, and
// at once for every one after the first.
bool DestinationFolders::IsRefusedAsAnotherSpelling(const std::vector<std::string>& names,
                                                    const std::string& destination, UnreachableFolder& failure)
{
    if (!names.empty() && names == m_refusedNames) {
        failure = m_refusal;
        return true;
    }
    const std::string spelling = platform::PathOfNames(names);
    if (!WasEnteredUnderAnotherSpelling(names, spelling)) {
        m_enteredSpellings.Add(spelling);
        return false;
    }
    const std::string folder = FolderPartOf(destination);
    m_refusal = {folder.substr(0, folder.size() - 1), "another folder of this backup already has this name here",
                 EEXIST};
    m_refusedNames = names;
    failure = m_refusal;
    return true;
}

// Two spellings of one folder part at the first level where they differ: the same folder where the level
// above does not hold both. Every level above that one is on the way just reached.
bool DestinationFolders::WasEnteredUnderAnotherSpelling(const std::vector<std::string>& names,
                                                        const std::string& spelling) const
{
    const auto other = m_enteredSpellings.OtherSpellingOf(spelling);
    if (!other)
        return false;
    const std::vector<std::string> otherNames = platform::NamesOf(*other);
    size_t level = 0;
    while (level < names.size() && level < otherNames.size() && names[level] == otherNames[level])
        ++level;
    if (level == names.size() || level == otherNames.size())
        return false;
    return !ListsBoth(m_chain.Opened(level), names[level], otherNames[level]);
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
    // A root without a folder part (empty, or a name alone) would be found in the current folder.
    if (m_rootFolderPart.empty())
        return platform::Folder();
    platform::Folder root = platform::Folder::OpenTop(m_root);
    if (root.valid() || root.error() != ENOENT || m_rootFolderPart == m_root)
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
    while (const auto entry = listing.Next())
        if (IsPartFileName(entry->name))
            m_leftoverParts.insert(entry->name);
}

// Listed anew at each question: a listing from before the other spelling was placed can still show the
// old copy of this name, which the placing replaced.
bool DestinationFolders::IsAnotherSpellingOfAPlacedName(const std::string& name)
{
    const auto other = m_placedNames.OtherSpellingOf(name);
    return other && m_enteredFolder && !ListsBoth(*m_enteredFolder, name, *other);
}

std::optional<platform::FileStatus> DestinationFolders::PreparedFolderIdentity()
{
    if (!m_enteredFolder)
        return std::nullopt;
    if (m_identityOfFolder != m_folderNumber) {
        m_enteredIdentity = m_enteredFolder->Status();
        m_identityOfFolder = m_folderNumber;
    }
    return m_enteredIdentity;
}

bool DestinationFolders::HoldsEntryNamed(const std::string& name) const
{
    return m_enteredFolder && ListsBoth(*m_enteredFolder, name, name);
}

void DestinationFolders::Placed(const std::string& name)
{
    m_placedNames.Add(name);
}
