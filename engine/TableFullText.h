#pragma once

#include <cstdint>
#include <string>

// The run abort text for a tree that holds more files than the file table: only the first capacity files were
// collected, so the rest of the tree went without a backup and the run is failed.
inline std::string TableFullText(int32_t capacity)
{
    return "Too many files: only the first " + std::to_string(capacity) + " were backed up";
}
