#pragma once

#include "TempFolder.h"

#include <string>
#include <sys/types.h>
#include <vector>

// A small file system of one kind in an image file of its own, formatted and mounted as root on a fresh
// folder for the life of the guard: ext4 through the kernel, exFAT and FAT through their FUSE drivers, as a
// backup disk of each kind would be. At the end it is unmounted (lazily when something still holds it),
// its loop device detached and the image removed, also after a failed test.
//
// Where the machine cannot mount it (not root, no /dev/fuse, no free loop device, a tool missing, the
// driver refusing), mounted() is false and reason() says why, for GTEST_SKIP().
class LoopFileSystem {
public:
    enum class Kind { Ext4, ExFat, Fat };

    explicit LoopFileSystem(Kind kind, int sizeMiB = 16);
    ~LoopFileSystem();
    LoopFileSystem(const LoopFileSystem&) = delete;
    LoopFileSystem& operator=(const LoopFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    const std::string& reason() const { return m_reason; }
    Kind kind() const { return m_kind; }

    // The mount folder with a trailing "/".
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

    // Unmounts the disk and mounts the same image again, so that what is read afterwards comes from the
    // disk and not from a cache of the driver or the kernel. False, with reason(), when that failed.
    bool Remount();

    // "ext4", "exFAT" or "FAT", for test names and messages.
    static std::string Name(Kind kind);

private:
    bool Format(int sizeMiB);
    bool Mount();
    bool MountFuse(const std::string& driver, const std::vector<std::string>& arguments);
    bool WaitUntilMounted();
    void Unmount();
    bool Refuse(std::string reason);

    Kind m_kind;
    TempFolder m_work;
    std::string m_image;
    std::string m_path;
    std::string m_driverOutput;
    std::string m_loopDevice;
    pid_t m_driver = -1;
    bool m_mounted = false;
    std::string m_reason;
};
