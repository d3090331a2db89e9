#include "bench/BenchTree.h"

#include "platform/FileContent.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int64_t FoldersPerGroup = 50;
constexpr size_t BigFilePiece = size_t{1} << 20;

// xorshift64*: fast, and good enough that no file system or copy tool finds a pattern to exploit.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed != 0 ? seed : 0x9E3779B97F4A7C15ull) {}

    uint64_t Next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 0x2545F4914F6CDD1Dull;
    }

    void Fill(char* data, size_t size)
    {
        size_t at = 0;
        for (; at + sizeof(uint64_t) <= size; at += sizeof(uint64_t)) {
            const uint64_t word = Next();
            std::memcpy(data + at, &word, sizeof word);
        }
        if (at < size) {
            const uint64_t word = Next();
            std::memcpy(data + at, &word, size - at);
        }
    }

private:
    uint64_t m_state;
};

[[noreturn]] void Fail(const std::string& what, const std::string& path)
{
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

void MakeFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        Fail("cannot create folder", path);
}

// The folder and every missing folder above it.
void MakeFolders(const std::string& path)
{
    for (auto slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        MakeFolder(path.substr(0, slash));
    MakeFolder(path);
}

void WriteAll(int fd, const char* data, size_t size, const std::string& path)
{
    if (!platform::WriteAll(fd, data, size))
        Fail("cannot write", path);
}

void WriteFile(const std::string& path, const char* data, size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Fail("cannot create", path);
    WriteAll(fd, data, size, path);
    if (::close(fd) != 0)
        Fail("cannot close", path);
}

std::string FolderName(int64_t folder)
{
    char name[32];
    const int64_t group = folder / FoldersPerGroup;
    const int64_t member = folder % FoldersPerGroup;
    if (member == 0)
        std::snprintf(name, sizeof name, "g%03lld/", static_cast<long long>(group));
    else
        std::snprintf(name, sizeof name, "g%03lld/s%02lld/", static_cast<long long>(group),
                      static_cast<long long>(member));
    return name;
}

} // namespace

TreeMade MakeTree(const std::string& root, const TreeShape& shape)
{
    const std::string base = root.empty() || root.back() == '/' ? root : root + "/";
    MakeFolders(base);
    const int64_t folders = std::max<int64_t>(1, shape.folders);
    std::vector<std::string> folderPaths;
    folderPaths.reserve(static_cast<size_t>(folders));
    for (int64_t k = 0; k < folders; ++k) {
        folderPaths.push_back(base + FolderName(k));
        MakeFolder(folderPaths.back());
    }
    Random random(shape.seed);
    std::vector<char> content(static_cast<size_t>(std::max<int64_t>(0, shape.maxSize)));
    TreeMade made{0, folders, 0};
    const auto sizes = static_cast<uint64_t>(std::max<int64_t>(0, shape.maxSize)) + 1;
    char name[32];
    for (int64_t j = 0; j < shape.files; ++j) {
        const auto size = static_cast<size_t>(random.Next() % sizes);
        random.Fill(content.data(), size);
        std::snprintf(name, sizeof name, "f%06lld.dat", static_cast<long long>(j));
        WriteFile(folderPaths[static_cast<size_t>(j % folders)] + name, content.data(), size);
        ++made.files;
        made.bytes += static_cast<int64_t>(size);
    }
    return made;
}

void MakeBigFile(const std::string& path, int64_t size, uint64_t seed)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Fail("cannot create", path);
    Random random(seed);
    std::vector<char> piece(BigFilePiece);
    for (int64_t left = size; left > 0;) {
        const size_t now = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(piece.size())));
        random.Fill(piece.data(), now);
        WriteAll(fd, piece.data(), now, path);
        left -= static_cast<int64_t>(now);
    }
    if (::close(fd) != 0)
        Fail("cannot close", path);
}
