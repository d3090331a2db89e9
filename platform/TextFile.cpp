#include "platform/TextFile.h"

#include "platform/Error.h"
#include "platform/FileContent.h"
#include "platform/FileDescriptor.h"
#include "platform/PathNames.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* CannotOpen = "Cannot open file %s";
constexpr const char* CannotCreate = "Cannot create file %s";
constexpr const char* UnableToWrite = "Unable to write to %s";

// The room for the new content is taken before a byte of the old one is touched, so that a disk without it
// fails the write and leaves the file as it was.
void WriteInPlace(const std::string& target, const std::string& path, std::string_view bytes)
{
    FileDescriptor fd(::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    if (!fd.valid())
        throw Error(FormatMessage(CannotCreate, path));
    const auto size = static_cast<off_t>(bytes.size());
    const bool roomTaken = size == 0 || ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, size) == 0
        || errno == EOPNOTSUPP || errno == ENOSYS; // a file system that cannot reserve room writes as before
    if (!roomTaken || !WriteAll(fd.get(), bytes.data(), bytes.size()) || ::ftruncate(fd.get(), size) != 0
        || !fd.Close())
        throw Error(FormatMessage(UnableToWrite, path));
}

std::string TemporaryNameFor(const std::string& path)
{
    const std::string folder = FolderPartOf(path);
    return folder + "." + path.substr(folder.size()) + ".dupliqa-new";
}

// The file that a write to path lands in: symbolic links followed to their end, so that a link
// keeps naming the file it named and that file gets the new content. A dangling link gives the
// file it names, which the write then creates. A loop of links cannot be written through.
std::string WriteTarget(const std::string& path)
{
    constexpr int MaxLinkHops = 40; // as many as the kernel follows in one path
    std::string target = path;
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return target;
        char link[PATH_MAX];
        const ssize_t length = ::readlink(target.c_str(), link, sizeof link);
        if (length <= 0 || static_cast<size_t>(length) == sizeof link)
            break;
        const std::string to(link, static_cast<size_t>(length));
        target = to.front() == '/' ? to : FolderPartOf(target) + to;
    }
    throw Error(FormatMessage(CannotCreate, path));
}

// Whether we may change the file: what the kernel allows us (mode, owner, access lists, a
// read-only mount, the immutable flag), and never a file whose mode lets nobody write it. The
// kernel lets root write such a file, but a mode without any write bit is how a user says "keep
// this as it is", and root honours that here as careful editors do.
bool MayWrite(const std::string& path, const struct stat& info)
{
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0
        && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// A new file takes the old one's mode and owner. Where we cannot give it the owner (a file of
// someone else's that we may write), replacing the file would take it from its owner.
bool TakeOverModeAndOwner(int fd, const struct stat& old)
{
    ::fchmod(fd, old.st_mode & 07777);
    if (old.st_uid == ::geteuid() && old.st_gid == ::getegid())
        return true;
    return ::fchown(fd, old.st_uid, old.st_gid) == 0 && ::fchmod(fd, old.st_mode & 07777) == 0;
}

} // namespace

std::vector<std::string> SplitLines(std::string_view text)
{
    if (auto nul = text.find('\0'); nul != std::string_view::npos)
        text = text.substr(0, nul);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string CrLfLines::Take(std::string_view piece)
{
    std::string lines;
    if (m_ended)
        return lines;
    if (const auto nul = piece.find('\0'); nul != std::string_view::npos) {
        piece = piece.substr(0, nul);
        m_ended = true;
    }
    lines.reserve(piece.size() + piece.size() / 8);
    for (const char c : piece) {
        const bool secondHalfOfCrLf = c == '\n' && m_afterCr;
        m_afterCr = c == '\r';
        if (secondHalfOfCrLf)
            continue;
        if (c == '\r' || c == '\n') {
            lines += "\r\n";
            m_lineOpen = false;
        } else {
            lines += c;
            m_lineOpen = true;
        }
    }
    return lines;
}

std::string CrLfLines::Finish()
{
    const bool lineOpen = std::exchange(m_lineOpen, false);
    return lineOpen ? "\r\n" : "";
}

std::string ReadWholeFile(const std::string& path)
{
    // Not blocking, and a file only: a fifo or a device under the name would be read for ever.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        throw Error(FormatMessage(CannotOpen, path));
    std::string content;
    if (!ReadToEnd(fd.get(), info.st_size, content))
        throw Error(FormatMessage(CannotOpen, path));
    return content;
}

bool ReadToEnd(int fd, off_t expectedSize, std::string& content)
{
    if (expectedSize > 0)
        content.reserve(content.size() + static_cast<size_t>(expectedSize));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ReadFull(fd, buffer, sizeof buffer);
        if (got < 0)
            return false;
        content.append(buffer, static_cast<size_t>(got));
        if (static_cast<size_t>(got) < sizeof buffer)
            return true;
    }
}

std::vector<std::string> ReadLines(const std::string& path)
{
    return SplitLines(ReadWholeFile(path));
}

TextLines ReadTextLines(const std::string& path)
{
    const std::string content = ReadWholeFile(path);
    const size_t nul = std::min(content.find('\0'), content.size());
    return {SplitLines(std::string_view(content).substr(0, nul)), content.substr(nul)};
}

void WriteWholeFile(const std::string& path, std::string_view bytes)
{
    WriteWholeFileInPieces(path, [bytes](const PieceWriter& write) { write(bytes); });
}

void WriteWholeFileInPieces(const std::string& path, const std::function<void(const PieceWriter&)>& produce)
{
    const std::string target = WriteTarget(path);
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode))
        throw Error(FormatMessage(CannotCreate, path));
    if (existed && !MayWrite(target, old))
        throw FileNotWritable(FormatMessage(CannotCreate, path));

    const std::string temporary = TemporaryNameFor(target);
    FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    // A full disk or quota would fail a rewrite in place as well, but only once the old content is gone.
    if (!fd.valid() && (errno == ENOSPC || errno == EDQUOT))
        throw Error(FormatMessage(CannotCreate, path));
    if (fd.valid() && existed && !TakeOverModeAndOwner(fd.get(), old)) {
        fd.Close();
        ::unlink(temporary.c_str());
    }
    if (!fd.valid()) {
        // A folder that takes no new file may still hold a writable file; its room is taken for the whole
        // content before the old one is touched, so the content is gathered first.
        std::string bytes;
        produce([&bytes](std::string_view piece) { bytes += piece; });
        WriteInPlace(target, path, bytes);
        return;
    }
    bool written = true;
    try {
        produce([&](std::string_view piece) { written = written && WriteAll(fd.get(), piece.data(), piece.size()); });
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    written = written && ::fsync(fd.get()) == 0;
    if (!written || !fd.Close()) {
        ::unlink(temporary.c_str());
        throw Error(FormatMessage(UnableToWrite, path));
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        if (errno == ENOENT || errno == ENOTDIR)
            throw Error(FormatMessage(CannotCreate, path));
        throw Error(FormatMessage(UnableToWrite, path));
    }
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines)
{
    WriteWholeFile(path, JoinLines(lines));
}

void WriteTextLines(const std::string& path, const TextLines& text)
{
    WriteWholeFile(path, JoinLines(text.lines) + text.fromNul);
}

bool RemoveWriteTarget(const std::string& path)
{
    std::string target;
    try {
        target = WriteTarget(path);
    } catch (const Error&) {
        target = path; // a loop of links leads nowhere: the link itself goes
    }
    if (::unlink(target.c_str()) == 0 || errno == ENOENT)
        return true;
    // Nor can a link through a file as if it were a folder, or through a loop of links further up.
    return (errno == ENOTDIR || errno == ELOOP) && target != path && ::unlink(path.c_str()) == 0;
}

bool IsRegularFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PathExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace platform
