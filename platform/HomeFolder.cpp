#include "platform/HomeFolder.h"

#include "platform/TextFile.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace platform {

namespace {

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
