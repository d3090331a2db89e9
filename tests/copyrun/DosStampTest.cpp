// Local time is UTC here: the test environment sets TZ=UTC.
#include "CopyRunHarness.h"
#include "TempFolder.h"
#include "platform/DosStamp.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

std::time_t Utc(int year, int month, int day, int hour, int minute, int second)
{
    struct tm parts {};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    return ::timegm(&parts);
}

int32_t Dos(int year, int month, int day, int hour, int minute, int second)
{
    const auto date = static_cast<uint32_t>((year - 1980) << 9 | month << 5 | day);
    const auto clock = static_cast<uint32_t>(hour << 11 | minute << 5 | second / 2);
    return static_cast<int32_t>(date << 16 | clock);
}

} // namespace

TEST(DosStamp, PacksLocalTimeInTwoSecondStepsWithinTheDosYearsAndBack)
{
    EXPECT_EQ(StampFromTime(Utc(2026, 7, 12, 10, 15, 3)), Dos(2026, 7, 12, 10, 15, 2));
    EXPECT_EQ(StampFromTime(Utc(1980, 1, 1, 0, 0, 0)), 0x00210000);
    EXPECT_EQ(StampFromTime(Utc(1979, 12, 31, 23, 59, 59)), NoStamp);
    EXPECT_EQ(StampFromTime(Utc(2107, 12, 31, 23, 59, 59)), Dos(2107, 12, 31, 23, 59, 58));
    EXPECT_EQ(StampFromTime(Utc(2108, 1, 1, 0, 0, 0)), NoStamp);

    EXPECT_EQ(TimeFromStamp(Dos(2107, 12, 31, 23, 59, 58)), Utc(2107, 12, 31, 23, 59, 58));
    for (const std::time_t time : {Utc(1980, 1, 1, 0, 0, 0), Utc(2024, 2, 29, 12, 0, 1), Utc(2044, 1, 1, 0, 0, 0)}) {
        EXPECT_EQ(TimeFromStamp(StampFromTime(time)), time - time % 2) << time;
        EXPECT_EQ(StampedTime({time, 5}).tv_sec, time - time % 2) << time;
        EXPECT_EQ(StampedTime({time, 5}).tv_nsec, 0) << time;
    }
    EXPECT_EQ(StampedTime({Utc(1979, 12, 31, 23, 59, 59), 5}).tv_nsec, 5) << "no stamp: the time as it is";
    EXPECT_FALSE(TimeFromStamp(NoStamp));
    EXPECT_FALSE(TimeFromStamp(Dos(2026, 0, 12, 10, 0, 0)));
    EXPECT_FALSE(TimeFromStamp(Dos(2026, 13, 12, 10, 0, 0)));
    EXPECT_FALSE(TimeFromStamp(Dos(2026, 2, 31, 10, 0, 0)));
    EXPECT_FALSE(TimeFromStamp(Dos(2026, 2, 1, 24, 0, 0)));
    EXPECT_FALSE(TimeFromStamp(Dos(2026, 2, 1, 23, 60, 0)));
}

TEST(DosStamp, FilesHaveTheStampOfTheirTimeAndOnlyTheirModificationTimeIsSet)
{
    TempFolder dir;
    const std::string file = dir / "a.txt";
    WriteWithTime(file, "a", Utc(2026, 7, 12, 10, 15, 3));
    EXPECT_EQ(FileStamp(file), Dos(2026, 7, 12, 10, 15, 2));
    EXPECT_EQ(FileStamp(dir / "missing"), NoStamp);
    EXPECT_EQ(FileStamp(dir.path()), NoStamp);
    ASSERT_EQ(::symlink(file.c_str(), (dir / "link").c_str()), 0);
    EXPECT_EQ(FileStamp(dir / "link"), Dos(2026, 7, 12, 10, 15, 2));

    const struct timespec accessed[2] = {{Utc(2020, 1, 1, 0, 0, 0), 0}, {0, UTIME_OMIT}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), accessed, 0), 0);
    const int fd = ::open(file.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(SetStampOfOpenFile(fd, Dos(2030, 3, 4, 5, 6, 8)));
    EXPECT_FALSE(SetStampOfOpenFile(fd, NoStamp));
    ::close(fd);
    EXPECT_EQ(FileStamp(file), Dos(2030, 3, 4, 5, 6, 8));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_atim.tv_sec, Utc(2020, 1, 1, 0, 0, 0)) << "the access time must stay";
}
