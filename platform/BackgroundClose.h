#pragma once

#include "platform/FileDescriptor.h"

namespace platform {

// Closes the file on a thread of its own and returns at once. Where this is the last hold on a file that
// has lost its name, the file system frees its blocks at this close: on a disk mounted with discard it
// trims every one of them before the close returns, a good part of a second per gigabyte.
void CloseInBackground(FileDescriptor file);

} // namespace platform
