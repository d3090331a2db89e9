#pragma once

#include <optional>

// The bytes this process has passed through read and write calls since it started, as the
// kernel counts them. A test compares two of these to tell that a file was read or rewritten,
// which its duration on a busy machine cannot tell.
struct ProcessIo {
    unsigned long long read = 0;
    unsigned long long written = 0;
};

// None where the kernel keeps no such count.
std::optional<ProcessIo> ProcessIoSoFar();

inline constexpr const char* NoProcessIo = "the kernel keeps no count of a process's reads and writes (/proc/self/io)";
