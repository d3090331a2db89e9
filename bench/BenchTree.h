#pragma once

#include <cstdint>
#include <string>

// Trees of files for the benchmark, made quickly and the same way every time for a given seed.

// What a tree should hold: files spread evenly over folders, each file's length drawn evenly from
// 0 to maxSize bytes, its content pseudo-random so that nothing compresses or shares blocks.
struct TreeShape {
    int64_t files = 0;
    int64_t folders = 1;
    int64_t maxSize = 0;
    uint64_t seed = 1;
};

// Counts of what was made.
struct TreeMade {
    int64_t files = 0;
    int64_t folders = 0;
    int64_t bytes = 0;
};

// Makes the tree below root (created with its parents when missing). Folders are grouped 50 to a
// top-level folder: root/g000/, root/g000/s01/ ... root/g000/s49/, root/g001/ ... Throws
// std::runtime_error with the path on any failure.
TreeMade MakeTree(const std::string& root, const TreeShape& shape);

// Makes one file of exactly size pseudo-random bytes.
void MakeBigFile(const std::string& path, int64_t size, uint64_t seed);
