#pragma once

#include "platform/Folder.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The names of the folders on a path below a tree's top, as walked: empty names and "." name no folder
// of their own, ".." goes back one (never above the top).
std::vector<std::string> FolderNamesOf(const std::string& relativeFolder);

// Why a folder below the top could not be reached: the folder (as a path, for the log) and the reason.
struct UnreachableFolder {
    std::string folder;
    std::string reason;
    int error = 0;

    // A link, a file or anything else stands where a folder belongs: nothing below it can be written or read
    // without going somewhere the tree does not lead. So does another folder of the same tree, which a disk
    // that ignores letter case finds under this one's name (EEXIST).
    bool IsNoFolder() const;
};

// The open folders from a tree's top down to the folder of the current file, each opened from its parent
// without following a link, so that nothing below the top is ever found again by its whole spelling. The
// table lists a folder's files one after another, so the common start of consecutive folders stays open
// and the files of one folder cost no open at all.
class FolderChain {
public:
    // top is the open top folder, topPath its path as written for the log ("" when the top is not there).
    FolderChain(platform::Folder top, std::string topPath);

    // Called with each folder the chain makes, open, and its level in names. A folder is made private where
    // this is given, for it to open the folder further.
    using MadeFolder = std::function<void(const platform::Folder& made, size_t level)>;

    // The folder below the top named by names, opened (and made where it is missing, when create is set);
    // nullptr when a level cannot be opened or made, with the level and its reason in failure.
    const platform::Folder* Reach(const std::vector<std::string>& names, bool create, UnreachableFolder& failure,
                                  const MadeFolder& made = {});

    const platform::Folder& Top() const { return m_top; }

    // The folder depth levels below the top on the way last reached: the top itself at depth 0.
    const platform::Folder& Opened(size_t depth) const { return depth == 0 ? m_top : m_levels[depth - 1]; }

    // Whether the folder last reached was made by this chain, and so held nothing of an earlier run.
    bool ReachedMadeFolder() const { return m_madeFrom < m_levels.size(); }

    // Closes every level below the top: one removed or made again since must be opened anew.
    void Forget();

private:
    std::string PathOf(size_t levels, const std::vector<std::string>& names) const;

    platform::Folder m_top;
    std::string m_topPath;
    std::vector<std::string> m_names;
    std::vector<platform::Folder> m_levels; // m_levels[i] is the folder m_names[i], opened in the one before
    size_t m_madeFrom = SIZE_MAX; // the first open level that this chain made; every one below it was made too
};

// Why a folder that is not one is passed over, in the log's words.
std::string ReasonNotEntered(int error);
