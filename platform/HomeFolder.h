#pragma once

#include <string>

namespace platform {

// The user's home folder as a full path without a trailing "/": $HOME when it names a folder,
// else the password database's; empty when neither does.
std::string HomeFolder();

} // namespace platform
