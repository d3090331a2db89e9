#pragma once

#include "engine/RunContext.h"

#include <string>

// Lists every file below folder depth first into ctx.Files from ctx.FileCount + 1 on: the files of
// a folder before its subfolders. Files pass when they are regular files or links to regular files;
// folders whose names begin with ".", links to folders, virtual file systems and ctx.ExcludedFolder
// are not entered. An empty folder text finds nothing. Stops at ctx.StopRequested, and at a full
// table (ctx.TableOverflowed set).
void ScanFolder(RunContext& ctx, const std::string& folder, const std::string& mask, bool recurse);
