#pragma once

#include "platform/FileDescriptor.h"
#include "platform/Folder.h"

#include <optional>
#include <string>
#include <utility>
#include <sys/types.h>

// A copy in the making, which takes the destination's place only once it is complete. Until then the
// destination stays exactly as it was, so a stopped or failed copy never costs the previous good copy.
//
// Where nothing stands under the destination's name, the copy is an unnamed file in the destination's folder
// that gets the name only once it is whole: a run killed in the middle leaves nothing behind. Where something
// does (a previous copy, which must stay until the new one is whole), or the file system has no unnamed
// files (FAT, exFAT, NFS), or the name was taken meanwhile, the copy is a hidden part file beside the
// destination that is renamed over it. A copy that is never put in place is removed when the object goes.
//
// The folder is open from the start, and the copy is made, named, renamed and removed in that folder rather
// than by its path: a folder removed, moved or unmounted in the middle of the copy then never makes the copy
// land somewhere else, nor leaves a part file behind on its disk.
class PartFile {
public:
    // The copy of a source to the file called name in folder, whose path destination names it for
    // messages; the source's folder is only looked in for a free part-file name. destinationMissing says
    // that nothing stood under name when the run looked; permissions are the copy's, given to an unnamed
    // file as it is made. Both folders must outlive the copy. Throws Error("Cannot create file
    // <destination>") when the folder takes no new file.
    PartFile(const platform::Folder& folder, const platform::Folder& sourceFolder, const std::string& name,
             const std::string& destination, bool destinationMissing = false, mode_t permissions = 0600);
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    int fd() const { return m_file.get(); }

    // Whether the folder the copy is made in holds a file (or anything else) under the destination's name.
    bool DestinationExists() const;

    // Gives the copy its owner (where one is given) and permission bits, each only where the copy does
    // not have it already. An owner or mode that the file system cannot store (FAT and exFAT keep neither)
    // leaves the copy as it is. Throws Error("Unable to write to <destination>") for any other failure.
    void SetOwnerAndPermissions(mode_t permissions, const platform::FileStatus* owner);

    // Gives the copy both its times, which the rename then keeps on most file systems; an unnamed copy
    // gets them once it has its name.
    void SetTimes(const timespec& accessed, const timespec& modified);

    // Closes the copy and puts it under the destination's name (a link there is replaced itself, never
    // followed); returns the kind and identity of the copy as it then stands there. Throws
    // Error("Unable to write to <destination>").
    std::optional<platform::FileStatus> ReplaceDestination();

private:
    void CreatePartFile();
    std::optional<platform::FileStatus> NameUnnamed();
    std::optional<platform::FileStatus> RenameOverDestination();
    void SetTimesAgain();
    template <typename Make>
    bool MakeUnderPartFileName(Make make);
    bool PartFileNameStillOurs() const;

    std::string m_destination;
    std::string m_destinationName;
    std::string m_name; // the part file's; empty while the copy has no name
    const platform::Folder& m_folder;
    const platform::Folder& m_sourceFolder;
    platform::FileDescriptor m_file;
    std::optional<platform::FileStatus> m_unnamed; // the unnamed copy as made
    std::optional<platform::FileStatus> m_made; // the copy under the part-file name, as made
    bool m_replacedDestination = false;
    std::optional<std::pair<timespec, timespec>> m_times; // accessed and modified, as given to the copy
};

// The names the part file of a destination file called name may take: ".<name>.dupliqa-part" first,
// then ".<name>.<variant>.dupliqa-part". They are the same for every run, so a later copy of that file
// takes over whatever an interrupted one left.
std::string PartFileNameFor(const std::string& name, int variant = 0);

// The part-file name for the copy of sourcePath to a file called name: the first of PartFileNameFor's
// names that no entry of the source's own folder holds, so that a part file never meets a file copied
// in the same run, nor a leftover clean-up a copy of one. Empty when every name is taken.
std::string FreePartFileName(const platform::Folder& sourceFolder, const std::string& name);

// Whether a name in a folder is one of our part files.
bool IsPartFileName(const std::string& name);

// Permission bits of a copy: the source's read, write and execute bits. Set-user-ID, set-group-ID
// and sticky bits are dropped, since the copy belongs to whoever runs the backup.
mode_t CopyPermissionsFrom(mode_t sourceMode);
