#pragma once

#include <sys/types.h>
#include <utility>
#include <vector>

namespace platform {

// True when the open folder or file lies on one of the kernel's virtual file systems (/proc, /sys, cgroups, debugfs
// and their kind): their "files" are views of the kernel, where a read can block or never end, so a backup never
// enters them nor reads them.
bool IsOnVirtualFileSystem(int folderDescriptor);

// Whether the open file lies on a file system served by a program through FUSE (the exFAT and FAT drivers
// among others). Such a program keeps a file that loses its name while it is open under a hidden name
// beside it until it is closed.
bool IsServedThroughFuse(int fd);

// The same answer for the open files of a run, asked of the kernel once per device. Kept for one run only: a
// device number freed by an unmount may be given to another file system later.
class VirtualFileSystemDevices {
public:
    // fd is an open file on device.
    bool IsOnVirtualFileSystem(int fd, dev_t device);

private:
    std::vector<std::pair<dev_t, bool>> m_known;
};

} // namespace platform
