#include "CopyRunHarness.h"

#include "engine/PartFile.h"

#include <dirent.h>
#include <sys/stat.h>

bool FileIdentity::operator==(const FileIdentity& other) const
{
    return inode == other.inode && changed.tv_sec == other.changed.tv_sec
        && changed.tv_nsec == other.changed.tv_nsec && modified.tv_sec == other.modified.tv_sec
        && modified.tv_nsec == other.modified.tv_nsec;
}

FileIdentity IdentityOf(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return {};
    return {info.st_ino, info.st_ctim, info.st_mtim};
}

mode_t PermissionsOf(const std::string& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

std::vector<std::string> PartFilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (IsPartFileName(entry->d_name))
                names.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

