#include "platform/SystemInfo.h"

#include <cstdio>
#include <sys/sysinfo.h>
#include <unistd.h>

namespace platform {

namespace {

// The machine the program was built for, named as uname names it. Windows reports the processor
// as the running program sees it (a 32-bit program on a 64-bit processor is told 586), so the
// build's own architecture is the fact to report, not the kernel's.
constexpr std::string_view BuildMachine()
{
#if defined(__x86_64__)
    return "x86_64";
#elif defined(__i386__)
    return "i686";
#elif defined(__aarch64__)
    return "aarch64";
#elif defined(__arm__)
    return "arm";
#elif defined(__ia64__)
    return "ia64";
#elif defined(__mips__)
    return "mips";
#elif defined(__alpha__)
    return "alpha";
#elif defined(__powerpc__) || defined(__powerpc64__)
    return "ppc";
#else
    return "unknown";
#endif
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool IsX86With32Bits(std::string_view machine)
{
    return machine.size() == 4 && machine[0] == 'i' && machine[1] >= '3' && machine[1] <= '6'
        && machine.substr(2) == "86";
}

} // namespace

std::uint64_t TotalPhysicalMemory()
{
    struct sysinfo info {};
    if (sysinfo(&info) != 0)
        return 0;
    // totalram counts units of mem_unit bytes; the product overflows 32 bits on machines with 4 GiB or more.
    return static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
}

int ProcessorCount()
{
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online < 1 ? 1 : static_cast<int>(online);
}

int ProcessorType()
{
    return ProcessorTypeOfMachine(BuildMachine());
}

int ProcessorTypeOfMachine(std::string_view machine)
{
    if (machine == "x86_64" || machine == "amd64")
        return 8664;
    if (IsX86With32Bits(machine) || machine == "x86")
        return 586;
    if (machine == "ia64")
        return 2200;
    if (StartsWith(machine, "aarch64") || StartsWith(machine, "arm"))
        return 2577;
    if (StartsWith(machine, "mips"))
        return 4000;
    if (StartsWith(machine, "alpha"))
        return 21064;
    if (StartsWith(machine, "ppc") || StartsWith(machine, "powerpc"))
        return 601;
    return 0;
}

std::string ProcessorName(int processorType)
{
    switch (processorType) {
    case 386:
        return "Intel 386";
    case 486:
        return "Intel 486";
    case 586:
        return "Intel Pentium";
    case 2000:
    case 3000:
    case 4000:
        return "Mips R" + std::to_string(processorType);
    case 21064:
        return "Alpha 21064";
    default:
        return std::to_string(processorType);
    }
}

std::string MemoryLine(std::uint64_t totalBytes)
{
    char line[32];
    std::snprintf(line, sizeof line, "%llu KB", static_cast<unsigned long long>(totalBytes / 1024));
    return line;
}

std::string ProcessorLine(int processorCount, int processorType)
{
    char line[96];
    std::snprintf(line, sizeof line, "%dx %s or compatible", processorCount, ProcessorName(processorType).c_str());
    return line;
}

} // namespace platform
