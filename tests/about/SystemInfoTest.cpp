#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <thread>

using namespace platform;

namespace {

constexpr std::uint64_t KiB = 1024;
constexpr std::uint64_t GiB = 1024 * 1024 * KiB;

std::uint64_t MemTotalKilobytesFromProc()
{
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t kilobytes = 0;
    while (meminfo >> key >> kilobytes) {
        if (key == "MemTotal:")
            return kilobytes;
        meminfo.ignore(100, '\n');
    }
    return 0;
}

} // namespace

TEST(ProcessorName, NamesTheTypesOfTheTableAndShowsAnyOtherAsItsNumber)
{
    EXPECT_EQ(ProcessorName(386), "Intel 386");
    EXPECT_EQ(ProcessorName(486), "Intel 486");
    EXPECT_EQ(ProcessorName(586), "Intel Pentium");
    EXPECT_EQ(ProcessorName(2000), "Mips R2000");
    EXPECT_EQ(ProcessorName(3000), "Mips R3000");
    EXPECT_EQ(ProcessorName(4000), "Mips R4000");
    EXPECT_EQ(ProcessorName(21064), "Alpha 21064");
    EXPECT_EQ(ProcessorName(8664), "8664");
    EXPECT_EQ(ProcessorName(2577), "2577");
    EXPECT_EQ(ProcessorName(1000), "1000");
    EXPECT_EQ(ProcessorName(21164), "21164");
    EXPECT_EQ(ProcessorName(0), "0");
}

TEST(ProcessorTypeOfMachine, ReportsWhatWindowsReportsForTheSameProcessor)
{
    EXPECT_EQ(ProcessorTypeOfMachine("x86_64"), 8664);
    for (const char* x86 : {"i386", "i486", "i586", "i686"})
        EXPECT_EQ(ProcessorTypeOfMachine(x86), 586) << x86;
    EXPECT_EQ(ProcessorTypeOfMachine("ia64"), 2200);
    EXPECT_EQ(ProcessorTypeOfMachine("aarch64"), 2577);
    EXPECT_EQ(ProcessorTypeOfMachine("armv7l"), 2577);
    EXPECT_EQ(ProcessorTypeOfMachine("mips64"), 4000);
    EXPECT_EQ(ProcessorTypeOfMachine("alpha"), 21064);
    EXPECT_EQ(ProcessorTypeOfMachine("ppc64le"), 601);
    EXPECT_EQ(ProcessorTypeOfMachine("riscv64"), 0);
    EXPECT_EQ(ProcessorTypeOfMachine("i786"), 0);
    EXPECT_EQ(ProcessorTypeOfMachine(""), 0);
}

TEST(ProcessorType, IsTheTypeOfTheArchitectureThisProgramWasBuiltFor)
{
#if defined(__x86_64__)
    EXPECT_EQ(ProcessorType(), 8664);
#elif defined(__i386__)
    EXPECT_EQ(ProcessorType(), 586);
#elif defined(__aarch64__) || defined(__arm__)
    EXPECT_EQ(ProcessorType(), 2577);
#else
    GTEST_SKIP() << "no expectation for this architecture";
#endif
}

TEST(MemoryLine, IsTheTotalInWholeKilobytes)
{
    EXPECT_EQ(MemoryLine(0), "0 KB");
    EXPECT_EQ(MemoryLine(1023), "0 KB");
    EXPECT_EQ(MemoryLine(1024), "1 KB");
    EXPECT_EQ(MemoryLine(512 * 1024 * KiB + 1023), "524288 KB");
}

TEST(MemoryLine, IsNeverNegativeOrWrappedForLargeMemories)
{
    EXPECT_EQ(MemoryLine(4 * GiB), "4194304 KB");
    EXPECT_EQ(MemoryLine(8 * GiB + 512), "8388608 KB");
    // 2 TiB is 2^31 KB, where a signed 32-bit figure turns negative; 4 TiB wraps an unsigned one to 0.
    EXPECT_EQ(MemoryLine(2048 * GiB), "2147483648 KB");
    EXPECT_EQ(MemoryLine(4096 * GiB), "4294967296 KB");
    EXPECT_EQ(MemoryLine(UINT64_MAX), "18014398509481983 KB");
}

TEST(ProcessorLine, GivesTheCountThenTheNameOrCompatible)
{
    EXPECT_EQ(ProcessorLine(2, 586), "2x Intel Pentium or compatible");
    EXPECT_EQ(ProcessorLine(16, 8664), "16x 8664 or compatible");
    EXPECT_EQ(ProcessorLine(1, 4000), "1x Mips R4000 or compatible");
}

TEST(TotalPhysicalMemory, IsTheTotalTheKernelReports)
{
    const std::uint64_t total = TotalPhysicalMemory();
    EXPECT_GT(total, 0u);
    EXPECT_EQ(total / 1024, MemTotalKilobytesFromProc());
}

TEST(ProcessorCount, IsTheNumberOfProcessorsOnline)
{
    EXPECT_GE(ProcessorCount(), 1);
    EXPECT_EQ(static_cast<unsigned>(ProcessorCount()), std::thread::hardware_concurrency());
}
