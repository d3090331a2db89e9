// floor_scan: the least an unchanged re-run can do, as a reference for the benchmark. It lists the
// source tree and asks two statx per file (the source's and the copy's), reaching every folder from
// its open parent on both sides, and copies nothing. The copy of SOURCE/x is DESTINATION/x.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Counts {
    long long files = 0;
    long long folders = 0;
    long long differ = 0;
    long long missing = 0;
};

[[noreturn]] void Fail(const std::string& what, const std::string& path)
{
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

constexpr unsigned Wanted = STATX_TYPE | STATX_SIZE | STATX_MTIME;

// A copy may keep its time to the whole second, or to two seconds where it went through a DOS
// time stamp, so the times agree when they lie within two seconds of each other.
bool SameFile(const struct statx& source, const struct statx& copy)
{
    const long long apart = static_cast<long long>(source.stx_mtime.tv_sec) - copy.stx_mtime.tv_sec;
    return source.stx_size == copy.stx_size && apart <= 2 && apart >= -2;
}

// source is open for reading, copy is a path-only handle (or -1 where the copy's folder is missing).
// Both are closed here.
void Walk(int source, int copy, const std::string& path, Counts& counts)
{
    DIR* listing = ::fdopendir(source);
    if (listing == nullptr)
        Fail("cannot list", path);
    ++counts.folders;
    errno = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        unsigned char type = entry->d_type;
        struct statx sourceStatus {};
        if (type != DT_DIR) {
            if (::statx(source, name, AT_SYMLINK_NOFOLLOW, Wanted, &sourceStatus) != 0)
                Fail("cannot stat", path + "/" + name);
            if (S_ISDIR(sourceStatus.stx_mode))
                type = DT_DIR;
        }
        if (type == DT_DIR) {
            const int subSource = ::openat(source, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (subSource < 0)
                Fail("cannot open", path + "/" + name);
            const int subCopy
                = copy < 0 ? -1 : ::openat(copy, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            Walk(subSource, subCopy, path + "/" + name, counts);
        } else {
            ++counts.files;
            struct statx copyStatus {};
            if (copy < 0 || ::statx(copy, name, AT_SYMLINK_NOFOLLOW, Wanted, &copyStatus) != 0)
                ++counts.missing;
            else if (!SameFile(sourceStatus, copyStatus))
                ++counts.differ;
        }
        errno = 0;
    }
    if (errno != 0)
        Fail("cannot list", path);
    ::closedir(listing);
    if (copy >= 0)
        ::close(copy);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: floor_scan SOURCE DESTINATION\n"
                             "  prints files=N folders=N differ=N missing=N\n");
        return 2;
    }
    try {
        const int source = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (source < 0)
            Fail("cannot open", argv[1]);
        const int copy = ::open(argv[2], O_PATH | O_DIRECTORY | O_CLOEXEC);
        Counts counts;
        Walk(source, copy, argv[1], counts);
        std::printf("files=%lld folders=%lld differ=%lld missing=%lld\n", counts.files, counts.folders, counts.differ,
                    counts.missing);
        return 0;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "floor_scan: %s\n", failure.what());
        return 1;
    }
}
