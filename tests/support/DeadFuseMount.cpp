#include "DeadFuseMount.h"

#include "TempFolder.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/mount.h>
#include <unistd.h>

DeadFuseMount::DeadFuseMount(const std::string& folder, std::chrono::seconds releaseAfter)
{
    MakeFolders(folder);
    const int fuse = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    // The descriptor is never read: the kernel's first request, and every one after it, waits unanswered.
    const std::string options = "fd=" + std::to_string(fuse) + ",rootmode=40000,user_id=0,group_id=0";
    if (fuse < 0 || ::mount("dead", folder.c_str(), "fuse", 0, options.c_str()) != 0) {
        m_reason = std::string("a FUSE mount takes root and /dev/fuse: ") + std::strerror(errno);
        if (fuse >= 0)
            ::close(fuse);
        return;
    }
    const int root = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    m_reason = std::string("the mount cannot be held open: ") + std::strerror(errno);
    ::umount2(folder.c_str(), MNT_DETACH);
    if (root < 0) {
        ::close(fuse);
        return;
    }
    m_path = "/proc/self/fd/" + std::to_string(root);
    // The watchdog owns the connection: it aborts it when told to stop or when the time is up.
    m_watchdog = std::jthread([fuse, root, releaseAfter](std::stop_token stop) {
        std::mutex lock;
        std::unique_lock held(lock);
        std::condition_variable_any().wait_for(held, stop, releaseAfter, [] { return false; });
        ::close(fuse);
        ::close(root);
    });
}

void DeadFuseMount::Release()
{
    if (m_watchdog.joinable()) {
        m_watchdog.request_stop();
        m_watchdog.join();
    }
}
