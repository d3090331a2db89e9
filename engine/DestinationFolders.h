#pragma once

#include "engine/FolderChain.h"
#include "engine/PlacedNames.h"
#include "platform/PathNames.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

using platform::FolderPartOf;
using platform::NameOf;

// The folder part of a destination root, which stands for the drive the backup goes to: up to and
// including the root's last "/". A root without any "/" is taken as written for Windows, where the
// last "\" or ":" ends it ("E:\" for "E:\Backup").
std::string RootFolderPartOf(const std::string& destinationRoot);

// The folders of one run's destinations. Creates the missing folders of each destination below
// the destination root, top down, never the root's folder part or anything above it: that folder
// stands for the drive, and a missing drive must not be made up on the system disk. The root itself
// is opened by its path, links followed as the profile names it; every folder below it is opened from
// its parent without following a link, so a link planted in the backup never leads a copy elsewhere.
//
// A part file is left behind only by a run killed while it copied a file into the folder, and that
// file's copy is then still missing or older than its source: the next run copies it again. So a
// folder is listed for leftovers only once a file of it is about to be copied, which an unchanged
// folder never is; a folder the run made itself holds none, and is not listed at all.
class DestinationFolders {
public:
    explicit DestinationFolders(const std::string& destinationRoot);

    // The folder that destination lies in, made where it is missing; nullptr with the folder that
    // cannot be reached and why, when a level cannot be made or is no folder (a link among them), or
    // when it is a folder this run entered under another spelling, on a disk that ignores letter case.
    // sourceFolder gives the open source folder whose files go there, asked only where a folder is made:
    // the folders made get the permissions of the source folders they stand for (see MirrorSourceFolder).
    using SourceFolderOf = std::function<const platform::Folder*()>;
    const platform::Folder* Prepare(const std::string& destination, UnreachableFolder& failure,
                                    const SourceFolderOf& sourceFolder = {});

    // After a copy into the folder failed: it may have been removed since it was prepared, and is then
    // made again by the next Prepare, which the open folders would otherwise hide.
    void PrepareAgain();

    // Whether the root's folder part exists as a folder, asked before a file is written: a drive can go
    // away in the middle of a run. Looked up once for each prepared folder and again after PrepareAgain:
    // while the folder stays open, a drive that went makes the next copy into it fail, which prepares again.
    bool RootFolderExists();

    // Changes whenever Prepare enters another folder: the files of the table from the one where it
    // changed on are the prepared folder's.
    uint64_t FolderNumber() const { return m_folderNumber; }

    // Lists the prepared folder for leftover part files, before the first copy into it; true when this
    // listing found some, which the files of the folder already passed may have too.
    bool ListForLeftovers();

    // Removes the part file that a copy of a source in sourceFolder to the file called name in the
    // prepared folder would take, if the listing of that folder found one.
    void RemoveLeftoverPartOf(const platform::Folder& sourceFolder, const std::string& name);

    // Whether a file found under name in the prepared folder is the copy of another name of this run
    // under another spelling: a name placed there by this run differs from it only in letter case, and
    // the folder, listed now, does not hold both as entries of their own. A stick that ignores letter
    // case (FAT, exFAT) finds "a.txt" under "A.txt" and keeps one spelling of the two; its FUSE drivers
    // even give the two spellings different inode numbers, so the file's identity alone cannot tell.
    // The folder is listed only for a name that one placed there differs from in letter case alone.
    bool IsAnotherSpellingOfAPlacedName(const std::string& name);

    // The prepared folder's own identity, looked up once for each folder entered: two paths that reach one
    // folder (a folder mounted twice) give the same. Nothing when it cannot be looked up.
    std::optional<platform::FileStatus> PreparedFolderIdentity();

    // Whether the prepared folder, listed now, holds an entry spelled exactly name: then name is a file of its
    // own there, whatever other names lead to the same file (hard links, as a deduplicated backup has).
    bool HoldsEntryNamed(const std::string& name) const;

    // Notes that a name of this run now has its copy in the prepared folder.
    void Placed(const std::string& name);

private:
    platform::Folder OpenRoot() const;
    void MirrorSourceFolder(const platform::Folder& made, const std::vector<std::string>& names, size_t level,
                            const platform::Folder* sourceFolder);
    void Enter(const platform::Folder* folder, const std::vector<std::string>& names, bool madeByThisRun);
    bool IsRefusedAsAnotherSpelling(const std::vector<std::string>& names, const std::string& destination,
                                    UnreachableFolder& failure);
    bool WasEnteredUnderAnotherSpelling(const std::vector<std::string>& names, const std::string& spelling) const;
    void ListOnce();

    std::string m_root;
    std::string m_rootFolderPart;
    const bool m_ownersKept; // run as root
    FolderChain m_chain;
    bool m_rootFolderSeen = false; // since the prepared folder was reached
    const platform::Folder* m_preparedFolder = nullptr; // by the last Prepare, for files in m_preparedFolderPart
    std::string m_preparedFolderPart;
    // The folder entered last, as the chain holds it and by its names below the root, and what is known of it.
    const platform::Folder* m_enteredFolder = nullptr;
    std::vector<std::string> m_enteredFolderNames;
    uint64_t m_folderNumber = 0;
    bool m_enteredMadeByThisRun = false;
    bool m_listed = false;
    std::optional<platform::FileStatus> m_enteredIdentity;
    uint64_t m_identityOfFolder = 0; // the folder number m_enteredIdentity was looked up for
    std::unordered_set<std::string> m_leftoverParts; // names in the listed folder
    PlacedNames m_placedNames; // by this run, in the entered folder
    PlacedNames m_enteredSpellings; // every folder entered by this run, by its names below the root
    std::vector<std::string> m_refusedNames; // the last folder refused as another spelling of one entered, and why
    UnreachableFolder m_refusal;
};
