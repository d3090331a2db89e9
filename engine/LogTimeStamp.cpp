#include "engine/LogTimeStamp.h"

namespace {

std::optional<std::time_t>& FixedMoment()
{
    static std::optional<std::time_t> moment;
    return moment;
}

bool IsMidnight(const std::tm& local)
{
    return local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0;
}

} // namespace

std::string LogTimeStamp(std::time_t moment)
{
    std::tm local {};
    if (!::localtime_r(&moment, &local))
        return {};
    char date[128] = {};
    char time[128] = {};
    // The locale's short date is the stamp's date, two-digit years and all: it is what the user reads elsewhere.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-y2k"
    std::strftime(date, sizeof date, "%x", &local);
#pragma GCC diagnostic pop
    if (IsMidnight(local))
        return date;
    std::strftime(time, sizeof time, "%X", &local);
    return std::string(date) + " " + time;
}

std::time_t LogClockNow()
{
    return FixedMoment() ? *FixedMoment() : std::time(nullptr);
}

void LogClockSeam::Set(std::optional<std::time_t> moment)
{
    FixedMoment() = moment;
}
