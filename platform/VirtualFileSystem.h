#pragma once

namespace platform {

// True when the open folder or file lies on one of the kernel's virtual file systems (/proc, /sys, cgroups, debugfs
// and their kind): their "files" are views of the kernel, where a read can block or never end, so a backup never
// enters them nor reads them.
bool IsOnVirtualFileSystem(int folderDescriptor);

} // namespace platform
