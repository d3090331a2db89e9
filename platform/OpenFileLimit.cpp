#include "platform/OpenFileLimit.h"

#include <algorithm>
#include <sys/resource.h>

namespace platform {

namespace {

// Enough for a tree of tens of thousands of folders; beyond it the walk opens folders again. Kept well
// below the hard limits of common systems, which run to a million and more.
constexpr rlim_t Wanted = 65536;

// The soft limit before it was raised; RLIM_INFINITY while it never was.
rlim_t startingLimit = RLIM_INFINITY;

void RaiseOnce()
{
    static const bool raised = [] {
        rlimit limit {};
        if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= Wanted)
            return false;
        const rlim_t starting = limit.rlim_cur;
        limit.rlim_cur = std::min(Wanted, limit.rlim_max);
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
            return false;
        startingLimit = starting;
        return true;
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
    return static_cast<size_t>(std::min(limit.rlim_cur, Wanted));
}

void RestoreStartingOpenFileLimit()
{
    rlimit limit {};
    if (startingLimit == RLIM_INFINITY || ::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    limit.rlim_cur = startingLimit;
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

} // namespace platform
