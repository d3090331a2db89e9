#include "bench/PageCache.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path)
{
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

// Resident pages through mincore, so that the caller can see that the drop took.
int64_t ResidentKib(int fd, off_t size, const std::string& path)
{
    if (size == 0)
        return 0;
    void* map = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED)
        Fail("cannot map", path);
    const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((static_cast<size_t>(size) + page - 1) / page);
    const int answer = ::mincore(map, static_cast<size_t>(size), resident.data());
    ::munmap(map, static_cast<size_t>(size));
    if (answer != 0)
        Fail("cannot read the resident pages of", path);
    int64_t pages = 0;
    for (const unsigned char flags : resident)
        pages += flags & 1;
    return pages * static_cast<int64_t>(page) / 1024;
}

void EvictFile(const std::string& path, Evicted& evicted)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        Fail("cannot open", path);
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        Fail("cannot stat", path);
    evicted.residentKibBefore += ResidentKib(fd, status.st_size, path);
    // Dirty pages are not dropped: they have to reach the disk first.
    if (::fdatasync(fd) != 0)
        Fail("cannot write back", path);
    const int advice = ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    if (advice != 0) {
        errno = advice;
        Fail("cannot drop the pages of", path);
    }
    evicted.residentKibAfter += ResidentKib(fd, status.st_size, path);
    ::close(fd);
    ++evicted.files;
}

// nftw takes a plain function: the walk in progress keeps its counts here.
Evicted* walkCounts = nullptr;

int VisitEntry(const char* path, const struct stat*, int type, FTW*)
{
    if (type == FTW_F)
        EvictFile(path, *walkCounts);
    return 0;
}

} // namespace

Evicted EvictPages(const std::string& path)
{
    Evicted evicted;
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        Fail("cannot stat", path);
    if (!S_ISDIR(status.st_mode)) {
        EvictFile(path, evicted);
        return evicted;
    }
    walkCounts = &evicted;
    const int walked = ::nftw(path.c_str(), VisitEntry, 64, FTW_PHYS);
    walkCounts = nullptr;
    if (walked != 0)
        Fail("cannot walk", path);
    return evicted;
}
