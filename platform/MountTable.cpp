#include "platform/MountTable.h"

#include "platform/PathNames.h"
#include "platform/TextFile.h"

#include <climits>
#include <deque>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

    constexpr const char* SystemFileSystemTable = "/etc/fstab";
    constexpr const char* KernelMountTable = "/proc/self/mountinfo";
    // As many links as the kernel follows in one path before it gives up (ELOOP).
    constexpr int MostLinksFollowed = 40;

    std::string& FileSystemTablePath()
    {
        static std::string path = SystemFileSystemTable;
        return path;
    }

    std::vector<std::string_view> FieldsOf(std::string_view line)
    {
        std::vector<std::string_view> fields;
        size_t at = 0;
        while (at < line.size()) {
            const size_t start = line.find_first_not_of(" \t", at);
            if (start == std::string_view::npos)
                break;
            size_t end = line.find_first_of(" \t", start);
            if (end == std::string_view::npos)
                end = line.size();
            fields.push_back(line.substr(start, end - start));
            at = end;
        }
        return fields;
    }

    bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

    // Both tables write a blank, a tab, a line feed and a backslash inside a name as "\" and three octal digits.
    std::string DecodeOctalEscapes(std::string_view field)
    {
        std::string decoded;
        decoded.reserve(field.size());
        for (size_t i = 0; i < field.size(); ++i) {
            if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) && IsOctalDigit(field[i + 2])
                && IsOctalDigit(field[i + 3])) {
                decoded += static_cast<char>(
                    ((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
                i += 3;
            } else {
                decoded += field[i];
            }
        }
        return decoded;
    }

    std::vector<std::string_view> LinesOf(std::string_view text)
    {
        std::vector<std::string_view> lines;
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos)
                end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }

    std::optional<std::string> ReadIfPossible(const std::string& path)
    {
        try {
            return ReadWholeFile(path);
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }

    std::string CurrentFolder()
    {
        std::string buffer(PATH_MAX, '\0');
        if (!::getcwd(buffer.data(), buffer.size()))
            return "/";
        buffer.resize(buffer.find('\0'));
        return buffer;
    }

    std::optional<std::string> LinkTarget(const std::string& path)
    {
        std::string buffer(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (length <= 0 || static_cast<size_t>(length) >= buffer.size())
            return std::nullopt;
        buffer.resize(static_cast<size_t>(length));
        return buffer;
    }

} // namespace

std::vector<std::string> ParseFileSystemTable(std::string_view text)
{
    std::vector<std::string> points;
    for (const std::string_view line : LinesOf(text)) {
        const std::vector<std::string_view> fields = FieldsOf(line);
        if (fields.size() < 2 || fields[0].starts_with('#'))
            continue;
        if (fields.size() >= 3 && fields[2] == "swap")
            continue;
        std::string point = DecodeOctalEscapes(fields[1]);
        if (point.starts_with('/'))
            points.push_back(std::move(point));
    }
    return points;
}

std::set<std::string> ParseMountInfo(std::string_view text)
{
    // "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3 /dev/root rw": the fifth field is where the
    // file system is mounted.
    std::set<std::string> points;
    for (const std::string_view line : LinesOf(text)) {
        const std::vector<std::string_view> fields = FieldsOf(line);
        if (fields.size() >= 5 && fields[4].starts_with('/'))
            points.insert(DecodeOctalEscapes(fields[4]));
    }
    return points;
}

std::vector<std::string> ConfiguredMountPoints()
{
    const std::optional<std::string> text = ReadIfPossible(FileSystemTablePath());
    return text ? ParseFileSystemTable(*text) : std::vector<std::string>();
}

void FileSystemTableSeam::Set(const std::string& path)
{
    FileSystemTablePath() = path.empty() ? SystemFileSystemTable : path;
}

std::optional<std::set<std::string>> CurrentMountPoints()
{
    const std::optional<std::string> text = ReadIfPossible(KernelMountTable);
    if (!text)
        return std::nullopt;
    return ParseMountInfo(*text);
}

std::string ResolvedPath(const std::string& path)
{
    const std::vector<std::string> names = NamesOf(path.starts_with('/') ? path : CurrentFolder() + "/" + path);
    std::deque<std::string> pending(names.begin(), names.end());
    std::vector<std::string> resolved;
    bool existing = true;
    int linksFollowed = 0;
    while (!pending.empty()) {
        const std::string name = std::move(pending.front());
        pending.pop_front();
        if (name == ".")
            continue;
        if (name == "..") {
            if (!resolved.empty())
                resolved.pop_back();
            continue;
        }
        resolved.push_back(name);
        if (!existing)
            continue;
        const std::string candidate = PathOfNames(resolved);
        struct stat info { };
        if (::lstat(candidate.c_str(), &info) != 0) {
            existing = false;
            continue;
        }
        if (!S_ISLNK(info.st_mode) || linksFollowed >= MostLinksFollowed)
            continue;
        const std::optional<std::string> target = LinkTarget(candidate);
        if (!target)
            continue;
        ++linksFollowed;
        resolved.pop_back();
        if (target->starts_with('/'))
            resolved.clear();
        const std::vector<std::string> targetNames = NamesOf(*target);
        pending.insert(pending.begin(), targetNames.begin(), targetNames.end());
    }
    return PathOfNames(resolved);
}

} // namespace platform
