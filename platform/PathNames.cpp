#include "platform/PathNames.h"

#include <cstring>

namespace platform {

std::vector<std::string> NamesOf(std::string_view path)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            names.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::string PathOfNames(const std::vector<std::string>& names)
{
    std::string path;
    for (const std::string& name : names)
        path.append("/").append(name);
    return path.empty() ? "/" : path;
}

namespace {

// memrchr looks at many bytes at once, where rfind looks at one: the two below run for every file of a run.
size_t LastSlashOf(std::string_view path)
{
    const void* slash = ::memrchr(path.data(), '/', path.size());
    return slash ? static_cast<size_t>(static_cast<const char*>(slash) - path.data()) : std::string_view::npos;
}

} // namespace

std::string FolderPartOf(std::string_view path)
{
    const auto slash = LastSlashOf(path);
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string NameOf(std::string_view path)
{
    const auto slash = LastSlashOf(path);
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool LiesIn(const std::string& path, const std::string& folderPart)
{
    return path.size() > folderPart.size() && path.compare(0, folderPart.size(), folderPart) == 0
        && path.find('/', folderPart.size()) == std::string::npos;
}

} // namespace platform
