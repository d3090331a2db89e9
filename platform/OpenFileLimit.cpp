#include "platform/OpenFileLimit.h"

#include <algorithm>
#include <sys/resource.h>

namespace platform {

namespace {

// Enough for a tree of tens of thousands of folders; beyond it the walk opens folders again. Kept well
// below the hard limits of common systems, which run to a million and more.
constexpr rlim_t Wanted = 65536;

void RaiseOnce()
{
    static const bool raised = [] {
        rlimit limit {};
        if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= Wanted)
            return false;
        limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? Wanted : std::min(Wanted, limit.rlim_max);
        return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
    }();
    (void)raised;
}

} // namespace

size_t OpenFileLimit()
{
    RaiseOnce();
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    return limit.rlim_cur == RLIM_INFINITY ? static_cast<size_t>(Wanted) : static_cast<size_t>(limit.rlim_cur);
}

} // namespace platform
