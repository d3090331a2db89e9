#pragma once

#include <cstdint>
#include <string>

// Cold reads for the benchmark without dropping the page cache of the whole machine: the pages of
// one file or of every file below a folder are written back and then let go, and nothing else on
// the machine loses its cache.

struct Evicted {
    int64_t files = 0;
    int64_t residentKibBefore = 0;
    int64_t residentKibAfter = 0;
};

// Writes back and drops the cached pages of path (a file, or a folder walked whole, links not
// followed). Throws std::runtime_error with the path on any failure.
Evicted EvictPages(const std::string& path);
