#include "platform/BackgroundClose.h"

#include <linux/magic.h>
#include <sys/vfs.h>
#include <system_error>
#include <thread>

namespace platform {

void CloseInBackground(FileDescriptor file)
{
    if (!file.valid())
        return;
    try {
        std::thread([file = std::move(file)]() mutable { file.Close(); }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the file went with the work that was never started, closed here after all.
    }
}

bool IsServedThroughFuse(int fd)
{
    struct statfs info {};
    return ::fstatfs(fd, &info) == 0 && static_cast<unsigned long>(info.f_type) == FUSE_SUPER_MAGIC;
}

} // namespace platform
