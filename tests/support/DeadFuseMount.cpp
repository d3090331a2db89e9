#include "DeadFuseMount.h"

#include "TempFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <utility>

DeadFuseMount::DeadFuseMount(const std::string& folder)
{
    MakeFolders(folder);
    m_fuse = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    // The descriptor is never read: the kernel's first request, and every one after it, waits unanswered.
    const std::string options = "fd=" + std::to_string(m_fuse) + ",rootmode=40000,user_id=0,group_id=0";
    if (m_fuse < 0 || ::mount("dead", folder.c_str(), "fuse", 0, options.c_str()) != 0) {
        m_reason = std::string("a FUSE mount takes root and /dev/fuse: ") + std::strerror(errno);
        return;
    }
    m_root = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    m_reason = std::string("the mount cannot be held open: ") + std::strerror(errno);
    ::umount2(folder.c_str(), MNT_DETACH);
    if (m_root >= 0)
        m_path = "/proc/self/fd/" + std::to_string(m_root);
}

void DeadFuseMount::Release()
{
    for (int* fd : {&m_fuse, &m_root})
        if (*fd >= 0)
            ::close(std::exchange(*fd, -1));
}
