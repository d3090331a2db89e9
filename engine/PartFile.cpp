#include "engine/PartFile.h"

#include "engine/DestinationFolders.h"
#include "platform/DosStamp.h"
#include "platform/Error.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
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

} // namespace

std::string FreePartFileName(const platform::Folder& sourceFolder, const std::string& name)
{
    return FirstFreePartFileName(name, [&](const std::string& candidate) {
        // Anything under the name, even a link or an entry that cannot be looked at, takes it.
        return sourceFolder.StatusOf(candidate, platform::Links::DoNotFollow) || errno != ENOENT;
    });
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

PartFile::PartFile(const platform::Folder& folder, const platform::Folder& sourceFolder, const std::string& name,
                   const std::string& destination)
    : m_destination(destination), m_destinationName(name), m_name(FreePartFileName(sourceFolder, name)),
      m_folder(folder)
{
    if (!m_folder.valid() || m_name.empty())
        throw Error(FormatMessage("Cannot create file %s", m_destination));
    m_file = m_folder.CreateExclusively(m_name);
    if (!m_file.valid() && errno == EEXIST) {
        // Left by a run that was killed in the middle of this file: the name is no source's, so it is no
        // copy either. Removed rather than opened, since whatever stands there now (a link, a second name
        // of another file) is not ours.
        m_folder.Remove(m_name);
        m_file = m_folder.CreateExclusively(m_name);
    }
    if (!m_file.valid())
        throw Error(FormatMessage("Cannot create file %s", m_destination));
}

PartFile::~PartFile()
{
    if (m_replacedDestination)
        return;
    m_file.Close();
    m_folder.Remove(m_name);
}

bool PartFile::DestinationExists() const
{
    return m_folder.StatusOf(m_destinationName, platform::Links::DoNotFollow).has_value();
}

namespace {

// A change the file system cannot store is no failure of the copy; any other failure is.
bool StoredOrRefused(bool done)
{
    return done || platform::IsRefusedByFileSystem(errno);
}

} // namespace

void PartFile::SetOwnerAndPermissions(mode_t permissions, const platform::FileStatus* owner)
{
    // The owner first: a change of owner drops set-user-ID bits, and the mode then is the copy's own.
    if ((owner && !StoredOrRefused(platform::SetOwner(m_file.get(), owner->owner, owner->group)))
        || !StoredOrRefused(platform::SetPermissions(m_file.get(), permissions)))
        throw Error(FormatMessage("Unable to write to %s", m_destination));
}

void PartFile::SetTimes(const timespec& accessed, const timespec& modified)
{
    if (platform::SetTimes(m_file.get(), accessed, modified))
        m_times.emplace(accessed, modified);
}

std::optional<platform::FileStatus> PartFile::ReplaceDestination()
{
    if (!m_file.Close() || !m_folder.Rename(m_name, m_destinationName))
        throw Error(FormatMessage("Unable to write to %s", m_destination));
    m_replacedDestination = true;
    // Read back: a FUSE driver for FAT gives a renamed file the time of the rename, and the next run would
    // copy the file again. A time that still cannot be set only means another copy then.
    const auto copy = m_folder.StatusOf(m_destinationName, platform::Links::DoNotFollow);
    if (copy && m_times && !platform::SameStampOrTime(copy->modified, m_times->second))
        m_folder.SetTimes(m_destinationName, m_times->first, m_times->second);
    return copy;
}
