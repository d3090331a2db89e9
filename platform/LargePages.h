#pragma once

#include <memory_resource>

namespace platform {

// Memory that the kernel makes present a large page (2 MiB) at a time where it can, for tables that grow
// to megabytes during a run: on some virtual machines the first touch of each 4 KiB page costs as much as
// a system call. Requests under a large page come from the ordinary heap.
std::pmr::memory_resource& LargePageMemory();

} // namespace platform
