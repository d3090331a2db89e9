#pragma once

#include <string>
#include <vector>

namespace platform {

// The names of the folders in folder that a folder tree offers: hidden ones (a leading ".") left
// out, symbolic links to folders included, as the file system spells them (bytes, not necessarily
// valid in any encoding), in byte order with ASCII letter case
// ignored. A folder that cannot be listed gives none.
std::vector<std::string> VisibleSubfolders(const std::string& folder);

// The user's home folder as a full path without a trailing "/": $HOME when it names a folder,
// else the password database's; empty when neither does.
std::string HomeFolder();

} // namespace platform
