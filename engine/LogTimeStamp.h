#pragma once

#include <ctime>
#include <optional>
#include <string>

// The time stamp of an error log line for a local moment: the locale's short date and, unless the moment is
// exactly midnight (00:00:00), a blank and the locale's long time.
std::string LogTimeStamp(std::time_t moment);

// The moment a new log line is stamped with: now, unless a test has fixed it.
std::time_t LogClockNow();

struct SystemSeams;

// Test seam: only the tests reach it, through SystemSeams.
class LogClockSeam {
    friend struct SystemSeams;
    // LogClockNow() gives moment from now on; std::nullopt gives the real clock back.
    static void Set(std::optional<std::time_t> moment);
};
