#include "platform/VirtualFileSystem.h"

#include <algorithm>
#include <array>
#include <linux/magic.h>
#include <sys/vfs.h>

namespace platform {

namespace {

// Kernel file systems whose magic numbers linux/magic.h does not carry.
constexpr unsigned long ConfigFsMagic = 0x62656570;
constexpr unsigned long FuseControlMagic = 0x65735543;
constexpr unsigned long MessageQueueMagic = 0x19800202;
constexpr unsigned long RpcPipeFsMagic = 0x67596969;

constexpr std::array<unsigned long, 23> VirtualFileSystemMagics = {
    PROC_SUPER_MAGIC,   SYSFS_MAGIC,          DEVPTS_SUPER_MAGIC, CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC,
    DEBUGFS_MAGIC,      TRACEFS_MAGIC,        SECURITYFS_MAGIC,   PSTOREFS_MAGIC,     BPF_FS_MAGIC,
    ConfigFsMagic,      FuseControlMagic,     MessageQueueMagic,  HUGETLBFS_MAGIC,    AUTOFS_SUPER_MAGIC,
    BINFMTFS_MAGIC,     EFIVARFS_MAGIC,       SELINUX_MAGIC,      SMACK_MAGIC,        NSFS_MAGIC,
    RDTGROUP_SUPER_MAGIC, BINDERFS_SUPER_MAGIC, RpcPipeFsMagic,
};

// The magic number of the file system the open file lies on; 0 where the kernel will not say.
unsigned long FileSystemType(int fd)
{
    struct statfs info {};
    return ::fstatfs(fd, &info) == 0 ? static_cast<unsigned long>(info.f_type) : 0;
}

} // namespace

bool IsOnVirtualFileSystem(int folderDescriptor)
{
    const unsigned long type = FileSystemType(folderDescriptor);
    return std::find(VirtualFileSystemMagics.begin(), VirtualFileSystemMagics.end(), type)
        != VirtualFileSystemMagics.end();
}

bool IsServedThroughFuse(int fd)
{
    return FileSystemType(fd) == FUSE_SUPER_MAGIC;
}

bool VirtualFileSystemDevices::IsOnVirtualFileSystem(int fd, dev_t device)
{
    for (const auto& [known, isVirtual] : m_known) {
        if (known == device)
            return isVirtual;
    }
    const bool isVirtual = platform::IsOnVirtualFileSystem(fd);
    m_known.emplace_back(device, isVirtual);
    return isVirtual;
}

} // namespace platform
