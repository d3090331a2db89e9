#pragma once

#include <string>
#include <unordered_set>

// The folder part of a path: up to and including its last "/"; empty when it has none.
std::string FolderPartOf(const std::string& path);

// The name after the folder part.
std::string NameOf(const std::string& path);

// The folder part of a destination root, which stands for the drive the backup goes to: up to and
// including the root's last "/". A root without any "/" is taken as written for Windows, where the
// last "\" or ":" ends it ("E:\" for "E:\Backup").
std::string RootFolderPartOf(const std::string& destinationRoot);

// The folders of one run's destinations. Creates the missing folders of each destination below
// the destination root, top down, never the root's folder part or anything above it: that folder
// stands for the drive, and a missing drive must not be made up on the system disk. Remembers the
// last folder known to exist, so the files of one folder cost no check after the first.
//
// A folder that existed before is listed once when the run comes to it, for the part files that a
// killed run left there; so a file that needs no copy can lose its leftover without one more
// system call for every file.
class DestinationFolders {
public:
    explicit DestinationFolders(const std::string& destinationRoot);

    // Makes sure the folder exists. One that cannot be created is not reported: the copies of
    // its files fail and are logged instead.
    void Prepare(const std::string& folder);

    // After a copy into folder failed: makes the folder again when it was removed since it was prepared,
    // which the remembered folder would otherwise hide until the run comes to another folder. Costs one
    // stat call while the folder is there.
    void PrepareAgain(const std::string& folder);

    // Whether the root's folder part exists as a folder now; asked for every file, since a drive
    // can go away in the middle of a run.
    bool RootFolderExists() const;

    // Removes the part file of the copy of source to destination if the listing of its folder found one.
    void RemoveLeftoverPartOf(const std::string& source, const std::string& destination);

private:
    bool ListLeftoverParts(const std::string& folder);
    bool CreateBelowRootFolder(const std::string& folder);

    std::string m_rootFolderPart;
    std::string m_lastKnownFolder;
    std::unordered_set<std::string> m_leftoverParts; // names in m_lastKnownFolder
};
