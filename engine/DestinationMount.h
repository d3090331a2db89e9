#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// Whether the disk that a destination root lies on is there. On Linux a disk that is not plugged in leaves
// its mount point behind as an ordinary, empty folder of the system disk, so that the folder part of the
// root still exists and a backup would quietly fill the system disk instead. A run therefore also takes the
// disk as missing, as it does a missing drive, when
//   - the root or a folder above it (other than "/") is a mount point of the file-system table (/etc/fstab)
//     but nothing is mounted there now;
//   - the root lies below /media or /run/media, where the desktop mounts removable disks
//     (/media/<user>/<label>), and nothing is mounted at the root or at any folder between it and there;
//   - a folder of the root's path that was a mount point when the run began is one no more (the disk was
//     unmounted or unplugged in the middle of the run).
// Symbolic links are followed before any of this is decided.
class DestinationMount {
public:
    // Reads both mount tables once, for one run.
    explicit DestinationMount(const std::string& destinationRoot);

    // True when the disk is not there now. Costs nothing for a root with no mount point above it, and one or
    // two stat calls for each mount point above it otherwise, so it can be asked before every file.
    bool Lost() const;

private:
    struct MountedFolder {
        std::string path;
        std::string parent;
        dev_t device = 0;
        ino_t inode = 0;
    };

    bool m_unmountedAtStart = false;
    std::vector<MountedFolder> m_mountedFolders;
};

// The folders below which the desktop mounts removable disks: /media and /run/media.
std::vector<std::string> RemovableMediaFolders();

struct SystemSeams;

// Test seam: only the tests reach it, through SystemSeams.
class RemovableMediaFoldersSeam {
    friend struct SystemSeams;
    // Other folders in place of the usual ones; nothing goes back to them.
    static void Set(std::optional<std::vector<std::string>> folders);
};
