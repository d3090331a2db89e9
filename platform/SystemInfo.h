#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The machine facts that the about box shows, in the terms Windows uses for them, so the box
// reads the same on every platform.
namespace platform {

// Total physical memory of the machine in bytes (the total, not the free amount).
std::uint64_t TotalPhysicalMemory();

// Number of processors online; at least 1.
int ProcessorCount();

// The processor type as Windows' GetSystemInfo reports it for this program's build.
int ProcessorType();

// The Windows processor type for a machine name as uname reports it ("x86_64", "i686", "aarch64"):
// 586 for 32-bit x86, 8664 for x86-64, 2200 for Itanium, 2577 for ARM (32 and 64 bit), 4000 for
// MIPS, 21064 for Alpha, 601 for PowerPC; 0 for machines Windows never ran on.
int ProcessorTypeOfMachine(std::string_view machine);

// The name shown for a processor type: "Intel Pentium" for 586, "Mips R4000" for 4000, and so
// on; a type without a name is shown as its number.
std::string ProcessorName(int processorType);

// "%llu KB": the total memory in whole kilobytes, unsigned at any size.
std::string MemoryLine(std::uint64_t totalBytes);

// "%dx %s or compatible": "2x Intel Pentium or compatible".
std::string ProcessorLine(int processorCount, int processorType);

} // namespace platform
