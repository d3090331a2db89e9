#include "platform/DosStamp.h"

#include <sys/stat.h>

namespace platform {

namespace {

constexpr int FirstDosYear = 1980;
constexpr int LastDosYear = 2107;
// Clock times whose local date lies in the stamp's years whatever the time zone: a day in from either end.
constexpr std::time_t SurelyStampedFrom = 315705600; // 1980-01-03 00:00 UTC
constexpr std::time_t SurelyStampedUntil = 4354646400; // 2107-12-30 00:00 UTC

int32_t StampOfStat(const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return NoStamp;
    return StampFromTime(info.st_mtim.tv_sec);
}

std::optional<struct timespec> ModificationTimeOf(int32_t stamp)
{
    const auto time = TimeFromStamp(stamp);
    if (!time)
        return std::nullopt;
    return timespec{*time, 0};
}

// The instant of the even local second that time falls in, which is what a stamp keeps: reached without mktime,
// which would look at /etc/localtime again for every file. A change of the clock's offset falls on a whole
// minute, so the second before lies on the same side of it. Nothing outside the stamp's years.
std::optional<std::time_t> EvenLocalSecond(std::time_t time)
{
    struct tm local {};
    if (!::localtime_r(&time, &local) || local.tm_year + 1900 < FirstDosYear || local.tm_year + 1900 > LastDosYear)
        return std::nullopt;
    return time - local.tm_sec % 2;
}

} // namespace

int32_t StampFromTime(std::time_t time)
{
    struct tm local {};
    if (!::localtime_r(&time, &local))
        return NoStamp;
    const int year = local.tm_year + 1900;
    if (year < FirstDosYear || year > LastDosYear)
        return NoStamp;
    // A leap second (tm_sec 60) still fits the five bits of the halved seconds.
    const uint32_t date = static_cast<uint32_t>(year - FirstDosYear) << 9
        | static_cast<uint32_t>(local.tm_mon + 1) << 5 | static_cast<uint32_t>(local.tm_mday);
    const uint32_t clock = static_cast<uint32_t>(local.tm_hour) << 11
        | static_cast<uint32_t>(local.tm_min) << 5 | static_cast<uint32_t>(local.tm_sec / 2);
    return static_cast<int32_t>(date << 16 | clock);
}

std::optional<std::time_t> TimeFromStamp(int32_t stamp)
{
    const auto bits = static_cast<uint32_t>(stamp);
    const uint32_t date = bits >> 16;
    const uint32_t clock = bits & 0xFFFFu;
    struct tm local {};
    local.tm_year = static_cast<int>(date >> 9) + FirstDosYear - 1900;
    local.tm_mon = static_cast<int>((date >> 5) & 0x0Fu) - 1;
    local.tm_mday = static_cast<int>(date & 0x1Fu);
    local.tm_hour = static_cast<int>(clock >> 11);
    local.tm_min = static_cast<int>((clock >> 5) & 0x3Fu);
    local.tm_sec = static_cast<int>(clock & 0x1Fu) * 2;
    local.tm_isdst = -1; // let the time zone say whether summer time applied then
    if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday < 1 || local.tm_hour > 23 || local.tm_min > 59
        || local.tm_sec > 59)
        return std::nullopt;
    // mktime would roll 31 February over into March; such a stamp is not a date.
    const struct tm asGiven = local;
    const std::time_t time = ::mktime(&local);
    if (time == static_cast<std::time_t>(-1) || local.tm_mday != asGiven.tm_mday || local.tm_mon != asGiven.tm_mon)
        return std::nullopt;
    return time;
}

int32_t FileStamp(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return NoStamp;
    return StampOfStat(info);
}

bool SetStampOfOpenFile(int fd, int32_t stamp)
{
    const auto modified = ModificationTimeOf(stamp);
    return modified && SetTimeOfOpenFile(fd, *modified);
}

// The access time is given as it is rather than left out: FUSE drivers for FAT and exFAT take a call that
// leaves it out for one that sets no time at all, and the copy would keep the time of copying.
bool SetTimeOfOpenFile(int fd, const struct timespec& modified)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return false;
    const struct timespec times[2] = {info.st_atim, modified};
    return ::futimens(fd, times) == 0;
}

bool SameStampOrTime(const struct timespec& a, const struct timespec& b)
{
    // The same second gives the same stamp, or the same whole seconds: no need for two local times.
    if (a.tv_sec == b.tv_sec)
        return true;
    // Nor for the two seconds of one even second: the offset to local time is whole minutes and changes on a
    // whole minute, so they are the two seconds of one local even second too. A copy stamped by this program
    // has the even second of its source.
    const bool surelyStamped = a.tv_sec >= SurelyStampedFrom && a.tv_sec < SurelyStampedUntil;
    if (surelyStamped && a.tv_sec / 2 == b.tv_sec / 2)
        return true;
    // The stamps' own instants rather than the stamps: when the clocks go back an hour is lived twice, and one
    // stamp then names two instants an hour apart; a file changed in the second of them must still be copied.
    const auto evenA = EvenLocalSecond(a.tv_sec);
    const auto evenB = EvenLocalSecond(b.tv_sec);
    if (evenA && evenB)
        return *evenA == *evenB;
    // Whole seconds, since a copy on another file system may keep a coarser fraction than its source.
    return a.tv_sec == b.tv_sec;
}

bool SetStampOrTimeOfOpenFile(int fd, const struct timespec& time)
{
    const int32_t stamp = StampFromTime(time.tv_sec);
    if (stamp != NoStamp)
        return SetStampOfOpenFile(fd, stamp);
    return SetTimeOfOpenFile(fd, time);
}

struct timespec StampedTime(const struct timespec& time)
{
    const auto even = EvenLocalSecond(time.tv_sec);
    return even ? timespec{*even, 0} : time;
}

} // namespace platform
