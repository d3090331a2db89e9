#include "engine/PartFile.h"

#include "engine/DestinationFolders.h"
#include "platform/Error.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* PartSuffix = ".dupliqa-part";
constexpr size_t LongestName = NAME_MAX;

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

std::string PartFileNameFor(const std::string& name)
{
    const std::string suffix = PartSuffix;
    if (1 + name.size() + suffix.size() <= LongestName)
        return "." + name + suffix;
    // A name near the file system's limit leaves no room: keep its start and make it unique again
    // with a hash of the whole name, still the same in every run.
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(name)));
    const size_t room = LongestName - 1 - 1 - 16 - suffix.size();
    return "." + name.substr(0, room) + "." + hash + suffix;
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

PartFile::PartFile(const std::string& destination)
    : m_destination(destination), m_name(PartFileNameFor(NameOf(destination))),
      m_folder(OpenFolder(FolderPartOf(destination)))
{
    if (!m_folder.valid())
        throw Error(FormatMessage("Cannot create file %s", m_destination));
    int fd = CreateExclusively(m_folder.get(), m_name);
    if (fd < 0 && errno == EEXIST) {
        // Left by a run that was killed in the middle of this file. Removed rather than opened,
        // since whatever stands there now (a link, a second name of another file) is not ours.
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
