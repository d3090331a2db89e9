#pragma once

#include "platform/FileDescriptor.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace platform {

enum class EntryKind { File, Folder, Link, Other };

// What a look at one file says, in the terms the backup rules need.
struct FileStatus {
    EntryKind kind = EntryKind::Other;
    mode_t permissions = 0; // every mode bit but the file type: set-user-ID and the like included
    uid_t owner = 0;
    gid_t group = 0;
    off_t size = 0;
    off_t allocated = 0; // bytes the file system holds for it, fewer than size for a sparse file
    timespec accessed{};
    timespec modified{};
    dev_t device = 0;
    ino_t inode = 0;
    nlink_t links = 0; // names the file has

    bool IsSameFile(const FileStatus& other) const { return device == other.device && inode == other.inode; }
};

enum class Links { Follow, DoNotFollow };

// An open folder that names its files by their names alone. A child folder is opened from it
// without following a link and without leaving it, so that a link planted where a folder belongs
// never leads a walk anywhere else; only the top of a tree is opened by its path. Every call that
// fails says why through error() of what it returns, or errno where it returns a plain value.
class Folder {
public:
    Folder() = default;

    // The top of a tree by its path, links followed: the path is the user's own choice.
    static Folder OpenTop(const std::string& path);

    // A folder in this one; a link, a file or anything but a folder under that name is not opened
    // (ELOOP for a link, ENOTDIR for the rest).
    Folder OpenChild(const std::string& name) const;

    // Makes a folder in this one, with permissions less the umask; false with errno set when it cannot
    // (EEXIST when the name is taken).
    bool MakeChild(const std::string& name, mode_t permissions = 0777) const;

    bool valid() const { return m_descriptor.valid(); }
    int error() const { return m_error; }
    int descriptor() const { return m_descriptor.get(); }

    std::optional<FileStatus> Status() const;
    std::optional<FileStatus> StatusOf(const std::string& name, Links links) const;

    // A file in this folder for reading; never waits for a fifo or takes a terminal. A link under the name is
    // followed, or refused with ELOOP.
    FileDescriptor OpenForReading(const std::string& name, Links links = Links::Follow) const;

    // The regular file that the link under the name leads to, for reading. Anything else it leads to (a
    // device, a fifo) is never opened: invalid with errno EINVAL.
    FileDescriptor OpenFileBehindLink(const std::string& name) const;

    // A new file under a name that nothing holds yet, even a link; only its owner may read it.
    FileDescriptor CreateExclusively(const std::string& name) const;

    // A new file without a name, in this folder with the given mode (less the umask), that vanishes with its
    // descriptor unless LinkUnnamed names it: a process killed while writing it leaves nothing behind. Invalid
    // with errno set where the file system or the kernel has no such files (FAT, exFAT, NFS, before Linux
    // 3.11), or the process cannot name one (no right to link by descriptor and no /proc); such a refusal is
    // remembered for the device, so that each costs one call.
    FileDescriptor CreateUnnamed(mode_t mode) const;

    // Gives the unnamed file fd its name in this folder; false with errno set (EEXIST when the name is taken).
    // A file system that refuses the link is remembered as CreateUnnamed's refusals are.
    bool LinkUnnamed(int fd, const std::string& name) const;

    // Renames within this folder; a link under the new name is replaced itself, never followed.
    bool Rename(const std::string& from, const std::string& to) const;

    // Sets both times of a file (never of a link's target) in this folder.
    bool SetTimes(const std::string& name, const timespec& accessed, const timespec& modified) const;

    // Removes a file (or a link itself) in this folder.
    bool Remove(const std::string& name) const;

    bool IsOnVirtualFileSystem() const;

    // Whether this folder was opened from its parent without crossing a mount point, and so lies on the
    // parent's file system; false where that is not known.
    bool LiesOnItsParentsMount() const { return m_onParentsMount; }

private:
    Folder(int descriptor, int error) : m_descriptor(descriptor), m_error(error) {}
    friend class FolderListing;
    bool DeviceKnown() const; // fills m_device once

    FileDescriptor m_descriptor;
    int m_error = 0;
    bool m_onParentsMount = false;
    mutable bool m_listed = false; // its descriptor stands past the start of its entries
    mutable dev_t m_device = 0;    // asked only once a device has refused unnamed files
    mutable bool m_deviceKnown = false;
};

// The entries of a folder, read in the directory's own order, without "." and "..". The listing
// reads through the folder's own descriptor, which costs no open of its own; the folder stays
// usable meanwhile, and only one listing of a folder may be read at a time.
class FolderListing {
public:
    struct Entry {
        const char* name;
        EntryKind kind; // a link is a link here, whatever it names
    };

    explicit FolderListing(const Folder& folder);
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    // The next entry; nothing at the end, or where the listing broke off (error() says why then).
    std::optional<Entry> Next();
    int error() const { return m_error; }

private:
    bool Fill();

    const Folder& m_folder;
    std::unique_ptr<char[]> m_buffer; // filled by the kernel: never cleared first
    size_t m_at = 0;
    size_t m_filled = 0;
    bool m_ended = false;
    int m_error = 0;
};

// Metadata set on an open file; false with errno set when the file system does not take it. A
// refusal (FAT and exFAT drivers keep no owner and few modes) is no failure of the copy.
bool SetOwner(int fd, uid_t owner, gid_t group);
bool SetPermissions(int fd, mode_t permissions);
// Both times given as they are: FUSE drivers for FAT and exFAT take a call that leaves one out for one
// that sets no time at all.
bool SetTimes(int fd, const timespec& accessed, const timespec& modified);
std::optional<FileStatus> StatusOfOpenFile(int fd);
// A file named by its whole path, links followed: for the top of a tree only.
std::optional<FileStatus> StatusOfPath(const std::string& path);
// The folder levels above an open folder, as the kernel finds them (by "..", whatever path led there);
// the top of the file system above itself.
std::optional<FileStatus> StatusOfFolderAbove(const Folder& folder, size_t levels);

// Whether the file system refused a change it cannot store, as opposed to failing it.
bool IsRefusedByFileSystem(int error);

uid_t RunningUser();

} // namespace platform
