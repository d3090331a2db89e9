#include "platform/Subfolders.h"

#include "platform/Listing.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool IsFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string HomeFromPasswordDatabase()
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<size_t>(size) : 16384, '\0');
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return {};
    return found->pw_dir;
}

} // namespace

std::vector<std::string> VisibleSubfolders(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.starts_with('.'))
            continue;
        const bool maybeFolder = entry->d_type == DT_DIR || entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN;
        if (maybeFolder && (entry->d_type == DT_DIR || IsFolder(prefix + name)))
            names.push_back(name);
    }
    ::closedir(dir);
    // Letter case does not part names that belong together ("Music" beside "movies").
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string upperA = AsciiUpper(a), upperB = AsciiUpper(b);
        return upperA != upperB ? upperA < upperB : a < b;
    });
    return names;
}

std::string HomeFolder()
{
    for (std::string candidate : {std::string(std::getenv("HOME") ? std::getenv("HOME") : ""), HomeFromPasswordDatabase()}) {
        candidate = WithoutTrailingSlashes(candidate);
        if (candidate.starts_with('/') && IsFolder(candidate))
            return candidate;
    }
    return {};
}

} // namespace platform
