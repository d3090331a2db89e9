#pragma once

#include "engine/RunContext.h"

#include <string>

// Backs up one profile: scans source, maps each file below destinationRoot, copies what is missing
// or changed, logs what cannot be copied. Always ends with the end-of-run steps; a log that cannot
// be written ends the run and is reported once through ctx.View.ReportError.
void RunBackup(RunContext& ctx, const std::string& source, const std::string& destinationRoot);

// The destination path of a source path below destinationRoot.
std::string MapToDestination(const std::string& sourcePath, const std::string& destinationRoot);
// The same into destination, whose storage is kept for the next file.
void MapToDestination(const std::string& sourcePath, const std::string& destinationRoot, std::string& destination);
