#pragma once

#include "platform/FileDescriptor.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform {

// A log file that cannot be read or written; what() holds the system's words for it.
class LogFileFailure : public std::runtime_error {
public:
    LogFileFailure(bool writing, const std::string& reason, int error = 0)
        : std::runtime_error(reason), writing(writing), error(error)
    {
    }
    bool writing;
    int error; // errno, where the system gave one
};

// What a file looked like when it was last seen. Any write, rename or replacement since changes at least one
// of these, short of an edit of the same size within one tick of the file system's clock.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long modifiedSeconds = 0;
    long modifiedNanoseconds = 0;
    long changedSeconds = 0;
    long changedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the regular file that path names, links followed; nothing for anything else.
std::optional<FileIdentity> IdentityOfRegularFile(const std::string& path);

// Creates path as an empty file when nothing is there; an existing file is left as it is.
// Throws LogFileFailure (writing).
void CreateFileIfMissing(const std::string& path);

// A log opened for one append; a link is followed to the file it names, which is what a rewrite replaces. Lines
// can go to its end in place only when that file has no other name: a rewrite would part the two names, so
// writing into the shared file would leave something else than a rewrite does.
class LogFile {
public:
    // Throws LogFileFailure (reading) when it cannot be opened (with ENOENT where a link names a missing file),
    // or is no regular file: a fifo or device under the log's name would block the read or never end it.
    explicit LogFile(const std::string& path);

    bool Appendable() const { return m_appendable; }
    const FileIdentity& Identity() const { return m_identity; }

    // Hands the content to take a piece at a time, from the byte at from on, until take returns false or the
    // end is reached; memory stays the same however long the log. Throws LogFileFailure (reading).
    void ReadPieces(const std::function<bool(std::string_view)>& take, off_t from = 0);

    // Adds bytes at the end; on a failure the file is cut back to what it was, so a full disk never leaves half
    // a line behind. Throws LogFileFailure (writing).
    void Append(std::string_view bytes);

    void Close() { m_fd.Close(); }

private:
    FileDescriptor m_fd;
    FileIdentity m_identity;
    bool m_appendable = false;
};

} // namespace platform
