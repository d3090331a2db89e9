#include "engine/FolderChain.h"

#include "platform/PathNames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

std::vector<std::string> FolderNamesOf(const std::string& relativeFolder)
{
    std::vector<std::string> names;
    for (std::string& name : platform::NamesOf(relativeFolder)) {
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (name != ".") {
            names.push_back(std::move(name));
        }
    }
    return names;
}

bool UnreachableFolder::IsNoFolder() const
{
    return error == ELOOP || error == ENOTDIR || error == EEXIST;
}

std::string ReasonNotEntered(int error)
{
    // A link where a folder belongs is never followed: it could lead anywhere on the system.
    if (error == ELOOP)
        return "symbolic link where a folder belongs, not followed";
    return std::strerror(error);
}

FolderChain::FolderChain(platform::Folder top, std::string topPath) : m_top(std::move(top)), m_topPath(std::move(topPath))
{
}

const platform::Folder* FolderChain::Reach(const std::vector<std::string>& names, bool create,
                                           UnreachableFolder& failure, const MadeFolder& madeFolder)
{
    if (!m_top.valid()) {
        failure = {m_topPath, ReasonNotEntered(m_top.error()), m_top.error()};
        return nullptr;
    }
    size_t kept = 0;
    while (kept < m_levels.size() && kept < names.size() && m_names[kept] == names[kept])
        ++kept;
    m_levels.resize(kept);
    m_names.resize(kept);
    if (m_madeFrom >= kept)
        m_madeFrom = SIZE_MAX;
    for (size_t level = kept; level < names.size(); ++level) {
        const platform::Folder& parent = level == 0 ? m_top : m_levels.back();
        platform::Folder child = parent.OpenChild(names[level]);
        if (!child.valid() && child.error() == ENOENT && create) {
            const bool made = parent.MakeChild(names[level], madeFolder ? 0700 : 0777);
            if (made)
                m_madeFrom = std::min(m_madeFrom, level);
            if (made || errno == EEXIST)
                child = parent.OpenChild(names[level]);
            if (made && child.valid() && madeFolder)
                madeFolder(child, level);
        }
        if (!child.valid()) {
            failure = {PathOf(level + 1, names), ReasonNotEntered(child.error()), child.error()};
            return nullptr;
        }
        m_levels.push_back(std::move(child));
        m_names.push_back(names[level]);
    }
    return names.empty() ? &m_top : &m_levels.back();
}

void FolderChain::Forget()
{
    m_levels.clear();
    m_names.clear();
}

std::string FolderChain::PathOf(size_t levels, const std::vector<std::string>& names) const
{
    std::string path = m_topPath;
    for (size_t level = 0; level < levels; ++level) {
        if (!path.empty() && path.back() != '/')
            path += '/';
        path += names[level];
    }
    return path;
}
