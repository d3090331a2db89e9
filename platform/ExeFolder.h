#pragma once

#include <string>

struct SystemSeams;

namespace platform {

// The folder of the running executable, with a trailing "/". Every file of the program lies in it.
const std::string& ExeFolder();

// A name for a folder that stays the same however the folder is reached (through a link, a bind
// mount, another spelling): its device and inode. Empty when the folder cannot be examined.
std::string FolderIdentity(const std::string& folder);
inline std::string ExeFolderIdentity() { return FolderIdentity(ExeFolder()); }

// Test seam: only the tests reach it, through SystemSeams; no argument, environment variable or file does.
class ExeFolderSeam {
    friend struct ::SystemSeams;
    // Makes ExeFolder() return folder (a trailing "/" is added when missing).
    static void Set(const std::string& folder);
};

} // namespace platform
