#include "platform/BackgroundClose.h"

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

} // namespace platform
