#pragma once

#include <cstdint>

namespace platform {

// Milliseconds on a monotonic clock that moves in steps of the kernel's tick (a few milliseconds), read
// without the cost of the precise clock: for a question asked once per file of a run, such as whether
// it is time to look for events again.
int64_t CoarseMonotonicMs();

} // namespace platform
