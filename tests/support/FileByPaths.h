#pragma once

// One file and its copy named by their whole paths, each folder opened by its path: the copy methods
// called as a run calls them, outside a run. Header only: for the tests that link the engine.

#include "engine/CopyMethods.h"
#include "engine/DestinationFolders.h"

#include <optional>
#include <string>

struct FileByPaths {
    FileByPaths(const std::string& source, const std::string& destination)
        : sourcePath(source), destinationPath(destination),
          sourceFolder(platform::Folder::OpenTop(FolderPartOf(source))),
          destinationFolder(platform::Folder::OpenTop(FolderPartOf(destination))),
          file{sourceFolder, NameOf(source), destinationFolder, NameOf(destination), sourcePath, destinationPath, &seen}
    {
    }
    FileByPaths(const FileByPaths&) = delete;
    FileByPaths& operator=(const FileByPaths&) = delete;

    std::string sourcePath;
    std::string destinationPath;
    platform::Folder sourceFolder;
    platform::Folder destinationFolder;
    std::optional<platform::FileStatus> seen;
    FileToCopy file;
};

inline bool NeedsCopyByPaths(const std::string& source, const std::string& destination)
{
    return NeedsCopy(FileByPaths(source, destination).file);
}

// The look that decides the copy comes first, as in a run: a copy that takes a free name is an unnamed file.
inline void CopyByPaths(void (*method)(RunContext&, const FileToCopy&), RunContext& ctx, const std::string& source,
                        const std::string& destination)
{
    const FileByPaths paths(source, destination);
    NeedsCopy(paths.file);
    method(ctx, paths.file);
}
