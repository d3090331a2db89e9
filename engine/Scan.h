#pragma once

#include "engine/RunContext.h"
#include "engine/ScannedFolders.h"
#include "platform/Folder.h"

#include <string>
#include <vector>

// Lists every file below folder depth first into ctx.Files from ctx.FileCount + 1 on: the files of
// a folder before its subfolders. Files pass when they are regular files or links to regular files;
// folders whose names begin with ".", links to folders, virtual file systems and ctx.ExcludedFolder
// are not entered. An empty folder text finds nothing. Stops at ctx.StopRequested, and at a full
// table (ctx.TableOverflowed set).
void ScanFolder(RunContext& ctx, const std::string& folder, const std::string& mask, bool recurse);

// A folder of the scan that exists but cannot be listed, or a source folder that is missing.
struct UnlistableFolder {
    std::string folder;
    std::string reason; // the system's words for the error
};

// As above, and notes in unlistable the source folder when it is missing or cannot be listed, or is the
// excluded folder itself (with the Error1 text), and each folder below it that cannot be listed. A subfolder that is gone or is no folder any more by
// the time it is entered was not part of the tree and is not noted.
void ScanFolder(RunContext& ctx, const std::string& folder, const std::string& mask, bool recurse,
                std::vector<UnlistableFolder>& unlistable);

// The same below a top folder already open (invalid when it could not be opened), named folder in the table;
// the folders that hold files are kept open in kept, where given and while its budget lasts.
void ScanFolder(RunContext& ctx, const platform::Folder& top, const std::string& folder, const std::string& mask,
                bool recurse, std::vector<UnlistableFolder>& unlistable, ScannedFolders* kept = nullptr);

// What the paths of the files found below folder begin with: folder and one separator.
std::string SourceBaseOf(const std::string& folder);
