#pragma once

#include <string>

namespace platform {

// The folder of the running executable, with a trailing "/". Every file of the program lies in it.
const std::string& ExeFolder();

// Test seam: makes ExeFolder() return folder (a trailing "/" is added when missing).
// Only code can call it; no argument, environment variable or file reaches it.
void SetExeFolderForTesting(const std::string& folder);

} // namespace platform
