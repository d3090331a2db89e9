#include "engine/ErrorLog.h"

#include "engine/LogTimeStamp.h"
#include "platform/Error.h"
#include "platform/ExeFolder.h"
#include "platform/FileDescriptor.h"
#include "platform/Listing.h"
#include "platform/TextFile.h"
#include "platform/TextViewer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* NewLogName = "Error.log";

[[noreturn]] void ThrowCannotRead(const std::string& path, const std::string& reason)
{
    throw Error("Cannot read the error log " + path + ": " + reason);
}

[[noreturn]] void ThrowCannotWrite(const std::string& path, const std::string& reason)
{
    throw Error("Cannot write the error log " + path + ": " + reason);
}

std::optional<std::string> ExistingLogName()
{
    return platform::FindFileCaseBlind(platform::ExeFolder(), NewLogName);
}

void CreateEmptyLog(const std::string& path)
{
    const platform::FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644));
    if (!fd.valid())
        ThrowCannotWrite(path, std::strerror(errno));
}

// What a file looked like when it was last found to be exactly what a rewrite leaves. Any write, rename or
// replacement since then changes at least one of these, short of an edit of the same size within one tick of the
// file system's clock.
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

FileIdentity IdentityOf(const struct stat& info)
{
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec,
            info.st_ctim.tv_sec, info.st_ctim.tv_nsec};
}

// The log last found exact, so that a run of appends reads the log once rather than once per line.
std::optional<FileIdentity>& LastExactLog()
{
    static std::optional<FileIdentity> identity;
    return identity;
}

// True when reading content into lines and writing them back gives content again: no NUL, every line end a
// CR LF, the last line ended too. Only then can a new line simply go to the end of the file.
bool IsAsRewriteLeavesIt(std::string_view content)
{
    if (content.empty())
        return true;
    if (content.find('\0') != std::string_view::npos || !content.ends_with("\r\n"))
        return false;
    for (size_t at = content.find('\r'); at != std::string_view::npos; at = content.find('\r', at + 1))
        if (at + 1 == content.size() || content[at + 1] != '\n')
            return false;
    for (size_t at = content.find('\n'); at != std::string_view::npos; at = content.find('\n', at + 1))
        if (at == 0 || content[at - 1] != '\r')
            return false;
    return true;
}

// A line break in a text (a file name may hold one) would split its entry in two, the second half without a time
// stamp, and a NUL would end the log for the next reading: each is written as a visible escape instead.
std::string OnOneLine(const std::string& text)
{
    std::string line;
    line.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        case '\0':
            line += "\\0";
            break;
        default:
            line += c;
        }
    }
    return line;
}

// The log opened for one append. It can take the new line in place only when it is a regular file that is not a
// symbolic link and has no other name: a rewrite replaces the name's file, so writing through a link or into a
// file shared with another name would leave something else than a rewrite does.
struct OpenedLog {
    platform::FileDescriptor fd;
    struct stat info {};
    bool appendable = false;
};

void OpenLog(const std::string& path, OpenedLog& log)
{
    log.fd = platform::FileDescriptor(::open(path.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    log.appendable = log.fd.valid();
    if (!log.fd.valid())
        log.fd = platform::FileDescriptor(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!log.fd.valid() || ::fstat(log.fd.get(), &log.info) != 0)
        ThrowCannotRead(path, std::strerror(errno));
    // A fifo or device under the log's name would block the read or never end it.
    if (!S_ISREG(log.info.st_mode))
        ThrowCannotRead(path, "not a regular file");
    log.appendable = log.appendable && log.info.st_nlink == 1;
}

std::string ReadLog(const std::string& path, const OpenedLog& log)
{
    std::string content;
    content.reserve(static_cast<size_t>(log.info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(log.fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ThrowCannotRead(path, std::strerror(errno));
        if (got == 0)
            return content;
        content.append(buffer, static_cast<size_t>(got));
    }
}

// On a failed write the log is cut back to what it was, so a full disk never leaves half a line behind.
void AppendInPlace(const std::string& path, OpenedLog& log, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(log.fd.get(), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            if (::ftruncate(log.fd.get(), log.info.st_size) != 0) {
                // Nothing more can be done for the log; the error below is what the user must hear of.
            }
            ThrowCannotWrite(path, std::strerror(error));
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
}

void RewriteWithLine(const std::string& path, std::string_view content, const std::string& line)
{
    std::vector<std::string> lines = platform::SplitLines(content);
    lines.push_back(line);
    errno = 0;
    try {
        platform::WriteWholeFile(path, platform::JoinLines(lines));
    } catch (const Error& error) {
        ThrowCannotWrite(path, errno != 0 ? std::strerror(errno) : error.what());
    }
}

// Every line written is one line ended by CR LF, so the log is now as a rewrite leaves it.
void RememberAsExact(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        LastExactLog() = IdentityOf(info);
    else
        LastExactLog().reset();
}

} // namespace

std::string ErrorLogPath()
{
    return platform::ExeFolder() + ExistingLogName().value_or(NewLogName);
}

// Observably the same as reading the whole log into lines, adding the stamped line and writing every line back
// with CR LF; but when the file already is what such a rewrite leaves, the line only goes to its end, so that a
// long log does not make every append cost as much as the whole log.
void AppendErrorLog(const std::string& text)
{
    const std::optional<std::string> existing = ExistingLogName();
    const std::string path = platform::ExeFolder() + existing.value_or(NewLogName);
    if (!existing)
        CreateEmptyLog(path);

    OpenedLog log;
    OpenLog(path, log);
    const bool knownExact = log.appendable && LastExactLog() == IdentityOf(log.info);
    const std::string content = knownExact ? std::string() : ReadLog(path, log);
    const bool exact = knownExact || IsAsRewriteLeavesIt(content);

    const std::string line = LogTimeStamp(LogClockNow()) + " " + OnOneLine(text);
    if (log.appendable && exact) {
        AppendInPlace(path, log, line + "\r\n");
        log.fd.Close();
    } else {
        log.fd.Close();
        RewriteWithLine(path, content, line);
    }
    RememberAsExact(path);
}

std::string FileFailureText(const UiText& text, const std::string& source, const std::string& destination)
{
    return text[UiKey::MErrorCopy] + " " + source + " " + text[UiKey::MErrorsto] + " " + destination;
}

std::string FolderFailureText(const UiText& text, const std::string& folder, const std::string& reason)
{
    return text[UiKey::MErrorCopy] + " " + folder + ": " + reason;
}

void ViewErrorLog()
{
    platform::OpenInTextViewer(ErrorLogPath());
}

void ClearErrorLog(const UiText& text, UserDialogs& dialogs)
{
    dialogs.AskInformation(text[UiKey::MconfirmDel], [] {
        if (const std::optional<std::string> existing = ExistingLogName())
            ::unlink((platform::ExeFolder() + *existing).c_str());
    });
}
