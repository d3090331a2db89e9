#include "engine/ErrorLog.h"

#include "engine/LogTimeStamp.h"
#include "platform/Error.h"
#include "platform/ExeFolder.h"
#include "platform/Listing.h"
#include "platform/LogFile.h"
#include "platform/TextFile.h"
#include "platform/TextViewer.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
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

// The log last found exact, so that a run of appends reads the log once rather than once per line.
std::optional<platform::FileIdentity>& LastExactLog()
{
    static std::optional<platform::FileIdentity> identity;
    return identity;
}

// True when reading the log into lines and writing them back gives its content again: no NUL, every line end a
// CR LF, the last line ended too. Only then can a new line simply go to the end of the file. The log is read a
// piece at a time, each piece checked with the last byte of the one before, so that a long log costs no memory.
bool IsAsRewriteLeavesIt(platform::LogFile& log)
{
    bool exact = true;
    char before = '\0'; // the byte before the piece; none at the start
    log.ReadPieces([&](std::string_view piece) {
        exact = piece.find('\0') == std::string_view::npos && (before != '\r' || piece.front() == '\n');
        for (size_t at = piece.find('\r'); exact && at != std::string_view::npos; at = piece.find('\r', at + 1))
            exact = at + 1 == piece.size() || piece[at + 1] == '\n';
        for (size_t at = piece.find('\n'); exact && at != std::string_view::npos; at = piece.find('\n', at + 1))
            exact = (at == 0 ? before : piece[at - 1]) == '\r';
        before = piece.back();
        return exact;
    });
    return exact && (before == '\0' || before == '\n');
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

// The log is rewritten as it is read, a piece at a time, so that a long one is never held in memory.
void RewriteWithLine(const std::string& path, platform::LogFile& log, const std::string& line)
{
    platform::CrLfLines lines;
    errno = 0;
    try {
        platform::WriteWholeFileInPieces(path, [&](const platform::PieceWriter& write) {
            log.ReadPieces([&](std::string_view piece) {
                write(lines.Take(piece));
                return !lines.Ended(); // nothing after a NUL is kept
            });
            write(lines.Finish() + line + "\r\n");
        });
    } catch (const Error& error) {
        ThrowCannotWrite(path, errno != 0 ? std::strerror(errno) : error.what());
    }
}

// Every line written is one line ended by CR LF, so the log is now as a rewrite leaves it.
void RememberAsExact(const std::string& path)
{
    LastExactLog() = platform::IdentityOfRegularFile(path);
}

platform::LogFile OpenLog(const std::string& path, bool create)
{
    if (create)
        platform::CreateFileIfMissing(path);
    try {
        return platform::LogFile(path);
    } catch (const platform::LogFileFailure& failure) {
        // A link to a log kept elsewhere whose file is missing (its folder emptied): the log begins there, as a
        // rewrite would begin it.
        if (create || failure.error != ENOENT)
            throw;
    }
    platform::CreateFileIfMissing(path);
    return platform::LogFile(path);
}

void AppendToLogFile(const std::string& path, bool create, const std::string& text)
{
    platform::LogFile log = OpenLog(path, create);
    const bool exact = (log.Appendable() && LastExactLog() == log.Identity()) || IsAsRewriteLeavesIt(log);
    const std::string line = LogTimeStamp(LogClockNow()) + " " + OnOneLine(text);
    if (log.Appendable() && exact) {
        log.Append(line + "\r\n");
        log.Close();
    } else {
        RewriteWithLine(path, log, line);
    }
}

// What was added to the log at path since it was seen as asked: nothing where it was replaced or rewritten
// meanwhile (its lines can no longer be told apart) or cannot be read.
std::string LinesAddedSince(const std::string& path, const std::optional<platform::FileIdentity>& asked)
{
    const std::optional<platform::FileIdentity> now = platform::IdentityOfRegularFile(path);
    if (!now || (asked && (now->device != asked->device || now->inode != asked->inode || now->size <= asked->size)))
        return {};
    std::string added;
    try {
        platform::LogFile log(path);
        log.ReadPieces([&](std::string_view piece) {
            added += piece;
            return true;
        }, asked ? asked->size : 0);
    } catch (const platform::LogFileFailure&) {
        return {};
    }
    return added;
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
    try {
        AppendToLogFile(path, !existing, text);
    } catch (const platform::LogFileFailure& failure) {
        if (failure.writing)
            ThrowCannotWrite(path, failure.what());
        ThrowCannotRead(path, failure.what());
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
    // The log as the question found it: the lines a run adds while the question waits are not among those the
    // user chose to clear, and they stay.
    const std::string path = ErrorLogPath();
    const std::optional<platform::FileIdentity> asked = platform::IdentityOfRegularFile(path);
    dialogs.AskInformation(text[UiKey::MconfirmDel], [path, asked] {
        const std::string added = LinesAddedSince(path, asked);
        // Every spelling of the name goes: one left behind would be the log again, old lines and all. A log
        // kept elsewhere through a link goes from where it is kept, and the link stays to begin it there again.
        // One spelling that cannot go does not keep the others.
        const std::string folder = platform::ExeFolder();
        std::optional<std::string> failure;
        for (const std::string& name : platform::FilesCaseBlind(folder, NewLogName))
            if (!platform::RemoveWriteTarget(folder + name) && !failure)
                failure = "Cannot delete the error log " + folder + name + ": " + std::strerror(errno);
        if (failure)
            throw Error(*failure);
        if (added.empty())
            return;
        try {
            platform::WriteWholeFile(path, added);
        } catch (const Error& error) {
            ThrowCannotWrite(path, error.what());
        }
    });
}
