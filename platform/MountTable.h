#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct SystemSeams;

namespace platform {

// The folders at which the system's file-system table (/etc/fstab) mounts something, as written there
// (escapes such as "\040" decoded). Swap areas and entries without a folder are left out. Empty when the
// table cannot be read.
std::vector<std::string> ConfiguredMountPoints();

// Test seam: only the tests reach it, through SystemSeams; no argument, environment variable or file does.
class FileSystemTableSeam {
    friend struct ::SystemSeams;
    // Reads the file-system table from path instead of /etc/fstab; an empty path goes back to it.
    static void Set(const std::string& path);
};

// The folders at which a file system is mounted now, from /proc/self/mountinfo; nothing when the kernel's
// table cannot be read.
std::optional<std::set<std::string>> CurrentMountPoints();

// The parsers behind the two functions above, for text in the format of each table.
std::vector<std::string> ParseFileSystemTable(std::string_view text);
std::set<std::string> ParseMountInfo(std::string_view text);

// An absolute path naming the same place as path: a relative path is taken from the current folder, symbolic
// links among the folders that exist are followed, and "." and ".." are taken out. The part of the path from
// the first name that does not exist on is kept as written, only "." and ".." applied.
std::string ResolvedPath(const std::string& path);

} // namespace platform
