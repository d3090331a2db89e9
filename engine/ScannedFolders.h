#pragma once

#include "platform/Folder.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

// The folders that the scan found files in, kept open in the order of their files, so that the copy reads each
// file from the very folder it was listed in and opens no folder a second time. As many are kept as half the
// files the process may hold open; the copy opens any other one again from its parent.
class ScannedFolders {
public:
    ScannedFolders();

    // A place for the folder whose files were just listed, all under base (the folder's path and a separator);
    // none when the budget is spent.
    std::optional<size_t> Reserve(const std::string& base);

    // The folder of a place, handed over once the scan is done with it.
    void Keep(size_t place, platform::Folder folder);

    // The kept folder that holds the file path, or nullptr. Asked in the order of the files: the folder that
    // the copy leaves is closed once it reaches the next kept one.
    const platform::Folder* FolderOf(const std::string& path);

private:
    struct Kept {
        std::string base;
        platform::Folder folder;
    };
    const platform::Folder* Enter(const Kept& kept) const { return kept.folder.valid() ? &kept.folder : nullptr; }

    std::deque<Kept> m_kept; // a deque: places never move while more are reserved
    size_t m_budget;
    size_t m_next = 0; // the first place the copy has not come to
};
