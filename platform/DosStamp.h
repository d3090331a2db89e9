#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace platform {

// A file's modification stamp: its last-write time in local time, packed as a DOS date-time
// (date in the high 16 bits, time in the low 16 bits, seconds in steps of 2). -1 stands for a
// file that is missing, is a folder, or whose time lies outside the DOS range (1980 to 2107);
// no valid stamp is -1, since that would be month 15.
inline constexpr int32_t NoStamp = -1;

int32_t StampFromTime(std::time_t time);

// The time a stamp stands for, through mktime; nothing when the stamp is not a valid date-time.
std::optional<std::time_t> TimeFromStamp(int32_t stamp);

// Follows symbolic links, so a link to a file has the stamp of the file it names.
int32_t FileStamp(const std::string& path);

// Set only the modification time; the access time is left alone. False when the stamp is not a
// valid date-time or the file refuses the change.
bool SetStampOfOpenFile(int fd, int32_t stamp);
// The modification time exactly; the access time stays.
bool SetTimeOfOpenFile(int fd, const struct timespec& modified);

// Whether two modification times count as the same: by their stamps, or by their whole seconds where
// either has no stamp (before 1980, after 2107), so such a file is not copied again at every run.
bool SameStampOrTime(const struct timespec& a, const struct timespec& b);

// Gives an open file the stamp of time, or time itself where it has no stamp. False when the file
// refuses the change.
bool SetStampOrTimeOfOpenFile(int fd, const struct timespec& time);

// The time a file stamped from time gets: the stamp's own time, or time itself where it has no stamp.
struct timespec StampedTime(const struct timespec& time);

} // namespace platform
