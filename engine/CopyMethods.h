#pragma once

#include "engine/RunContext.h"
#include "platform/Error.h"
#include "platform/Folder.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>

// The block copy's buffer: one block is read and written between two pumps of the window.
inline constexpr size_t CopyBlockSize = 49152;

// One file of a run and the name of its copy, each in its open folder; the paths name them in messages.
struct FileToCopy {
    const platform::Folder& sourceFolder;
    std::string sourceName;
    const platform::Folder& destinationFolder;
    std::string destinationName;
    const std::string& sourcePath;
    const std::string& destinationPath;
    // Where given, what stands under the destination's name as last seen: by the look that decides
    // whether to copy, then as the copy put in place. Nothing when nothing does.
    std::optional<platform::FileStatus>* destinationSeen;
};

// True when the destination is missing, or its modification stamp differs from the source's in either
// direction, or its length does. A copy of another length with the source's stamp is no copy of it: a
// source appended to within the stamp's two seconds after it was copied, or a new copy whose bytes a
// power cut lost after its name and time were written. The source is looked at through a link; the
// destination never is, since a copy only ever replaces what stands under its name.
bool NeedsCopy(const FileToCopy& file);

// The three ways of copying one file, tried in this order by the run. Each fails by throwing and
// each shows its label in status bar panel 3. The copy is written beside the destination and
// takes its place only when complete, so a failure leaves the previous copy as it was. A source
// that changed while it was read fails the method where a previous copy exists, so that a copy
// mixing old and new content never replaces it.

// Every method opens the source for reading only.

// Thrown by a method whose source, once opened, lies on one of the kernel's virtual file systems (a
// link into /proc or /sys): such a file is never read but passed over, as the scan passes over those
// folders, and no other method tries it.
class SourcePassedOver : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown by a method whose source is a symbolic link that the running user may not follow: one of another
// user that names a file of a third. Run as root over a user's tree, following it would put into the backup
// a file that user could never read. Passed over with what() as the reason; no other method tries it.
class SourceRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown by the block copy where the destination has no room for the copy (a full disk, a quota, a file
// larger than its file system takes). The other methods write at least as much, holes as zeros: each would
// fill the disk again, for nothing, and no other method tries it.
class DestinationFull : public Error {
public:
    using Error::Error;
};

// Block by block, pumping the window before each block; abandons the file, without failing, when
// a stop is requested.
void CopyByBlocks(RunContext& ctx, const FileToCopy& file);

// In larger pieces, its length when opened; pumps and abandons on a stop as the block copy does.
void CopyByStream(RunContext& ctx, const FileToCopy& file);

// The kernel's own copy with the source's modification time; fails with an empty message.
void CopyBySystem(RunContext& ctx, const FileToCopy& file);
