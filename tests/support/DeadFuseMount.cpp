#include "DeadFuseMount.h"

#include "TempFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

DeadFuseMount::DeadFuseMount(std::string folder, std::chrono::seconds releaseAfter) : m_folder(std::move(folder))
{
    MakeFolders(m_folder);
    const int fuse = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    // The descriptor is never read: the kernel's first request, and every one after it, waits unanswered.
    const std::string options = "fd=" + std::to_string(fuse) + ",rootmode=40000,user_id=0,group_id=0";
    if (fuse < 0 || ::mount("dead", m_folder.c_str(), "fuse", 0, options.c_str()) != 0) {
        m_reason = std::string("a FUSE mount takes root and /dev/fuse: ") + std::strerror(errno);
        if (fuse >= 0)
            ::close(fuse);
        return;
    }
    m_fuse = fuse;
    m_watchdog = std::thread([this, releaseAfter, ending = m_ending.get_future()] {
        if (ending.wait_for(releaseAfter) == std::future_status::timeout)
            Release();
    });
}

DeadFuseMount::~DeadFuseMount()
{
    if (m_watchdog.joinable()) {
        m_ending.set_value();
        m_watchdog.join();
    }
    Release();
}

void DeadFuseMount::Release()
{
    const int fuse = m_fuse.exchange(-1);
    if (fuse < 0)
        return;
    ::close(fuse);
    ::umount2(m_folder.c_str(), MNT_DETACH);
}
