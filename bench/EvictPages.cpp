// evict_pages: makes the next read of a file, or of a tree, come from the disk, without touching
// the cache of anything else on the machine (see PageCache.h).
#include "bench/PageCache.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: evict_pages PATH...\n"
                             "  writes back and drops the cached pages of each file, or of every file below\n"
                             "  each folder; prints files=N resident_kib_before=N resident_kib_after=N\n");
        return 2;
    }
    try {
        Evicted total;
        for (int i = 1; i < argc; ++i) {
            const Evicted one = EvictPages(argv[i]);
            total.files += one.files;
            total.residentKibBefore += one.residentKibBefore;
            total.residentKibAfter += one.residentKibAfter;
        }
        std::printf("files=%lld resident_kib_before=%lld resident_kib_after=%lld\n",
                    static_cast<long long>(total.files), static_cast<long long>(total.residentKibBefore),
                    static_cast<long long>(total.residentKibAfter));
        return 0;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "evict_pages: %s\n", failure.what());
        return 1;
    }
}
