#include "RunFixture.h"

#include "TempFolder.h"

#include <fcntl.h>
#include <sys/stat.h>

void WriteWithTime(const std::string& path, const std::string& bytes, std::time_t time)
{
    WriteFileBytes(path, bytes);
    SetModificationTime(path, time);
}

void SetModificationTime(const std::string& path, std::time_t time)
{
    const struct timespec times[2] = {{time, 0}, {time, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string PatternBytes(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}
