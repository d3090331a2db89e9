#include "engine/PartFile.h"

#include "engine/DestinationFolders.h"
#include "platform/Error.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr const char* PartSuffix = ".dupliqa-part";
constexpr size_t LongestName = NAME_MAX;
constexpr int NamesToTry = 100;

uint64_t Fnv1a(const std::string& bytes)
{
    uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// Only the owner may see a copy in the making; its real permission bits come when it is complete.
int CreateExclusively(int folder, const std::string& name)
{
    return ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

int OpenFolder(const std::string& folder)
{
    return ::open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

std::string PartFileNameFor(const std::string& name, int variant)
{
    const std::string tail = (variant == 0 ? std::string() : "." + std::to_string(variant)) + PartSuffix;
    if (1 + name.size() + tail.size() <= LongestName)
        return "." + name + tail;
    // A name near the file system's limit leaves no room: keep its start and make it unique again
    // with a hash of the whole name, still the same in every run.
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(name)));
    const size_t room = LongestName - 1 - 1 - 16 - tail.size();
    return "." + name.substr(0, room) + "." + hash + tail;
}

namespace {

// The first of the part-file names of name that isTaken(candidate) does not claim; empty when all are taken.
template <typename IsTaken>
std::string FirstFreePartFileName(const std::string& name, IsTaken isTaken)
{
    for (int variant = 0; variant < NamesToTry; ++variant) {
        std::string candidate = PartFileNameFor(name, variant);
        if (!isTaken(candidate))
            return candidate;
    }
    return {};
}

bool NoEntry(int statResult)
{
    return statResult != 0 && errno == ENOENT;
}

} // namespace

std::string FreePartFileName(const std::string& sourcePath, const std::string& name)
{
    const std::string sourceFolder = FolderPartOf(sourcePath);
    return FirstFreePartFileName(name, [&](const std::string& candidate) {
        struct stat entry {};
        return !NoEntry(::lstat((sourceFolder + candidate).c_str(), &entry));
    });
}

std::string FreePartFileName(int sourceFolder, const std::string& name)
{
    return FirstFreePartFileName(name, [&](const std::string& candidate) {
        struct stat entry {};
        return !NoEntry(::fstatat(sourceFolder, candidate.c_str(), &entry, AT_SYMLINK_NOFOLLOW));
    });
}

platform::FileDescriptor OpenFolderOf(const std::string& path)
{
    return platform::FileDescriptor(OpenFolder(FolderPartOf(path)));
}

bool IsPartFileName(const std::string& name)
{
    const std::string suffix = PartSuffix;
    return name.size() > 1 + suffix.size() && name.front() == '.'
        && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

mode_t CopyPermissionsFrom(mode_t sourceMode)
{
    return sourceMode & 0777;
}

PartFile::PartFile(platform::FileDescriptor destinationFolder, int sourceFolder, const std::string& destination)
    : PartFile(std::move(destinationFolder), FreePartFileName(sourceFolder, NameOf(destination)), destination)
{
}

PartFile::PartFile(platform::FileDescriptor folder, std::string name, const std::string& destination)
    : m_destination(destination), m_name(std::move(name)), m_folder(std::move(folder))
{
    if (!m_folder.valid() || m_name.empty())
        throw Error(FormatMessage("Cannot create file %s", m_destination));
    int fd = CreateExclusively(m_folder.get(), m_name);
    if (fd < 0 && errno == EEXIST) {
        // Left by a run that was killed in the middle of this file: the name is no source's, so it is no
        // copy either. Removed rather than opened, since whatever stands there now (a link, a second name
        // of another file) is not ours.
        ::unlinkat(m_folder.get(), m_name.c_str(), 0);
        fd = CreateExclusively(m_folder.get(), m_name);
    }
    if (fd < 0)
        throw Error(FormatMessage("Cannot create file %s", m_destination));
    m_file = platform::FileDescriptor(fd);
}

PartFile::~PartFile()
{
    if (m_replacedDestination)
        return;
    m_file.Close();
    ::unlinkat(m_folder.get(), m_name.c_str(), 0);
}

bool PartFile::DestinationExists() const
{
    struct stat info {};
    return ::fstatat(m_folder.get(), NameOf(m_destination).c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

void PartFile::ReplaceDestination(mode_t permissions)
{
    const bool complete = ::fchmod(m_file.get(), permissions) == 0 && m_file.Close();
    if (!complete
        || ::renameat(m_folder.get(), m_name.c_str(), m_folder.get(), NameOf(m_destination).c_str()) != 0)
        throw Error(FormatMessage("Unable to write to %s", m_destination));
    m_replacedDestination = true;
}
