#include "platform/Listing.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace platform {

namespace {

class Directory {
public:
    explicit Directory(const std::string& folder) : m_dir(::opendir(folder.c_str())) {}
    ~Directory() { if (m_dir) ::closedir(m_dir); }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;
    DIR* get() const { return m_dir; }
private:
    DIR* m_dir;
};

bool IsFolderEntry(const std::string& folder, const dirent* entry)
{
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
    struct stat info {};
    const std::string path = folder + (folder.empty() || folder.back() == '/' ? "" : "/") + entry->d_name;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// accept gets each entry's name and whether it is a folder, and returns false to stop.
template <typename Accept>
void ForEachEntry(const std::string& folder, Accept accept)
{
    Directory dir(folder);
    if (!dir.get())
        return;
    while (const dirent* entry = ::readdir(dir.get()))
        if (!accept(std::string(entry->d_name), IsFolderEntry(folder, entry)))
            return;
}

template <typename Accept>
void ForEachNonFolder(const std::string& folder, Accept accept)
{
    ForEachEntry(folder, [&](const std::string& name, bool isFolder) { return isFolder || accept(name); });
}

} // namespace

std::string AsciiUpper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && AsciiUpper(a) == AsciiUpper(b);
}

std::vector<std::string> FindFilesBySuffix(const std::string& folder, const std::string& suffix)
{
    std::vector<std::string> names;
    const std::string upperSuffix = AsciiUpper(suffix);
    ForEachNonFolder(folder, [&](const std::string& name) {
        if (name.size() >= suffix.size() && AsciiUpper(name.substr(name.size() - suffix.size())) == upperSuffix)
            names.push_back(name);
        return true;
    });
    return names;
}

std::optional<std::string> FindFileCaseBlind(const std::string& folder, const std::string& name)
{
    std::optional<std::string> found;
    ForEachNonFolder(folder, [&](const std::string& candidate) {
        if (EqualIgnoringAsciiCase(candidate, name)) {
            found = candidate;
            return false;
        }
        return true;
    });
    return found;
}

std::vector<std::string> VisibleSubfolders(const std::string& folder)
{
    std::vector<std::string> names;
    ForEachEntry(folder, [&](const std::string& name, bool isFolder) {
        if (isFolder && !name.starts_with('.'))
            names.push_back(name);
        return true;
    });
    // Letter case does not part names that belong together ("Music" beside "movies").
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string upperA = AsciiUpper(a), upperB = AsciiUpper(b);
        return upperA != upperB ? upperA < upperB : a < b;
    });
    return names;
}

} // namespace platform
