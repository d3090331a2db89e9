#include "platform/ExeFolder.h"

#include "platform/PathNames.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string WithTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string ReadExeFolder()
{
    std::string buffer(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0)
        return "./";
    buffer.resize(static_cast<size_t>(length));
    return FolderPartOf(buffer);
}

std::string& Folder()
{
    static std::string folder = ReadExeFolder();
    return folder;
}

} // namespace

const std::string& ExeFolder()
{
    return Folder();
}

std::string FolderIdentity(const std::string& folder)
{
    struct stat status { };
    if (::stat(folder.c_str(), &status) != 0)
        return {};
    return std::to_string(status.st_dev) + "-" + std::to_string(status.st_ino);
}

void ExeFolderSeam::Set(const std::string& folder)
{
    Folder() = WithTrailingSlash(folder);
}

} // namespace platform
