#pragma once

#include "ImmutableFlag.h"
#include "RunFixture.h"

#include <ctime>
#include <string>
#include <sys/types.h>
#include <vector>

inline constexpr std::time_t EarlierTime = 1700000000;

// What tells whether a file was rewritten or replaced: a new inode or a new change time.
struct FileIdentity {
    ino_t inode = 0;
    timespec changed{};
    timespec modified{};
    bool operator==(const FileIdentity& other) const;
};
FileIdentity IdentityOf(const std::string& path);

mode_t PermissionsOf(const std::string& path);
// Names in folder that are part files of an unfinished copy.
std::vector<std::string> PartFilesIn(const std::string& folder);

using SmallDisk = TmpfsMount;
