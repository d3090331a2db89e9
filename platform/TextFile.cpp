#include "platform/TextFile.h"

#include "platform/Error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* CannotOpen = "Cannot open file %s";
constexpr const char* CannotCreate = "Cannot create file %s";
constexpr const char* UnableToWrite = "Unable to write to %s";

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { if (m_fd >= 0) ::close(m_fd); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release() { int fd = m_fd; m_fd = -1; return fd; }
private:
    int m_fd;
};

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

void WriteInPlace(const std::string& path, std::string_view bytes)
{
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.valid())
        throw Error(FormatMessage(CannotCreate, path));
    if (!WriteAll(fd.get(), bytes) || ::close(fd.release()) != 0)
        throw Error(FormatMessage(UnableToWrite, path));
}

std::string TemporaryNameFor(const std::string& path)
{
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + ".dupliqa-new";
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

std::string ReadWholeFile(const std::string& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode))
        throw Error(FormatMessage(CannotOpen, path));
    std::string content;
    if (info.st_size > 0)
        content.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw Error(FormatMessage(CannotOpen, path));
        if (got == 0)
            break;
        content.append(buffer, static_cast<size_t>(got));
    }
    return content;
}

std::vector<std::string> ReadLines(const std::string& path)
{
    return SplitLines(ReadWholeFile(path));
}

void WriteWholeFile(const std::string& path, std::string_view bytes)
{
    struct stat old {};
    const bool existed = ::stat(path.c_str(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode))
        throw Error(FormatMessage(CannotCreate, path));

    const std::string temporary = TemporaryNameFor(path);
    FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.valid()) {
        // A folder that takes no new file may still hold a writable file.
        WriteInPlace(path, bytes);
        return;
    }
    if (existed)
        ::fchmod(fd.get(), old.st_mode & 07777);
    const bool written = WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    if (!written || ::close(fd.release()) != 0) {
        ::unlink(temporary.c_str());
        throw Error(FormatMessage(UnableToWrite, path));
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
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
