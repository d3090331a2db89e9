#include "platform/CoarseClock.h"

#include <ctime>

namespace platform {

int64_t CoarseMonotonicMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

} // namespace platform
