#pragma once

#include "platform/FileDescriptor.h"

namespace platform {

// Closes the file on a thread of its own and returns at once. Where this is the last hold on a file that
// has lost its name, the file system frees its blocks at this close: on a disk mounted with discard it
// trims every one of them before the close returns, a good part of a second per gigabyte.
void CloseInBackground(FileDescriptor file);

// Whether the open file lies on a file system served by a program through FUSE (the exFAT and FAT drivers
// among others). Such a program keeps a file that loses its name while it is open under a hidden name
// beside it until it is closed.
bool IsServedThroughFuse(int fd);

} // namespace platform
