#include "engine/PartFile.h"

#include "engine/DestinationFolders.h"
#include "platform/DosStamp.h"
#include "platform/Error.h"
#include "platform/Listing.h"

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

} // namespace

std::string PartFileNameFor(const std::string& name, int variant)
{
    const std::string tail = (variant == 0 ? std::string() : "." + std::to_string(variant)) + PartSuffix;
    if (1 + name.size() + tail.size() <= LongestName)
        return "." + name + tail;
    // A name near the file system's limit leaves no room: keep its start and make it unique again
    // with a hash of the whole name, still the same in every run.
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(platform::Fnv1a(name)));
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
                   const std::string& destination, bool destinationMissing, mode_t permissions)
    : m_destination(destination), m_destinationName(name), m_folder(folder), m_sourceFolder(sourceFolder)
{
    if (!m_folder.valid())
        throw Error(FormatMessage("Cannot create file %s", m_destination));
    if (destinationMissing) {
        // Looked at as made: the owner and mode it already has need no call of their own.
        m_file = m_folder.CreateUnnamed(permissions);
        m_unnamed = m_file.valid() ? platform::StatusOfOpenFile(m_file.get()) : std::nullopt;
        if (m_unnamed)
            return;
        m_file.Close();
    }
    CreatePartFile();
}

// make(m_name) makes something under the part-file name. A name taken is one left by a run that was killed in
// the middle of this file: the name is no source's, so it is no copy either. Removed rather than opened,
// since whatever stands there now (a link, a second name of another file) is not ours.
template <typename Make>
bool PartFile::MakeUnderPartFileName(Make make)
{
    m_name = FreePartFileName(m_sourceFolder, m_destinationName);
    if (m_name.empty())
        return false;
    if (make() || (errno == EEXIST && m_folder.Remove(m_name) && make())) {
        m_made = platform::StatusOfOpenFile(m_file.get());
        return true;
    }
    m_name.clear(); // nothing of ours stands under it
    return false;
}

// Another program copying the same file into the same backup at the same time takes a part-file name over
// as a killed run's leftover. What stands under the name is then its copy in the making, which must be
// neither renamed over the destination nor removed.
bool PartFile::PartFileNameStillOurs() const
{
    const auto named = m_folder.StatusOf(m_name, platform::Links::DoNotFollow);
    return m_made && named && m_made->IsSameFile(*named);
}

void PartFile::CreatePartFile()
{
    if (!MakeUnderPartFileName([&] {
            m_file = m_folder.CreateExclusively(m_name);
            return m_file.valid();
        }))
        throw Error(FormatMessage("Cannot create file %s", m_destination));
}

PartFile::~PartFile()
{
    if (m_replacedDestination)
        return;
    m_file.Close();
    if (!m_name.empty() && PartFileNameStillOurs())
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
    const bool ownerKept = !owner
        || (m_unnamed && m_unnamed->owner == owner->owner && m_unnamed->group == owner->group);
    const bool permissionsKept = m_unnamed && m_unnamed->permissions == permissions;
    // The owner first: a change of owner drops set-user-ID bits, and the mode then is the copy's own.
    if ((!ownerKept && !StoredOrRefused(platform::SetOwner(m_file.get(), owner->owner, owner->group)))
        || (!permissionsKept && !StoredOrRefused(platform::SetPermissions(m_file.get(), permissions))))
        throw Error(FormatMessage("Unable to write to %s", m_destination));
}

void PartFile::SetTimes(const timespec& accessed, const timespec& modified)
{
    if (m_unnamed && m_name.empty())
        m_times.emplace(accessed, modified);
    else if (platform::SetTimes(m_file.get(), accessed, modified))
        m_times.emplace(accessed, modified);
}

std::optional<platform::FileStatus> PartFile::ReplaceDestination()
{
    return m_unnamed ? NameUnnamed() : RenameOverDestination();
}

std::optional<platform::FileStatus> PartFile::NameUnnamed()
{
    if (m_folder.LinkUnnamed(m_file.get(), m_destinationName)) {
        m_replacedDestination = true;
        // The times come last, once the copy has its name: a run killed in between leaves a whole copy with the
        // time of copying, which the next run only copies again.
        if (m_times)
            platform::SetTimes(m_file.get(), m_times->first, m_times->second);
        if (m_file.Close())
            return m_unnamed;
        m_folder.Remove(m_destinationName);
        throw Error(FormatMessage("Unable to write to %s", m_destination));
    }
    // The name was taken since the run looked: the copy goes in as over a previous copy, by its part file.
    if (errno != EEXIST || !MakeUnderPartFileName([&] { return m_folder.LinkUnnamed(m_file.get(), m_name); }))
        throw Error(FormatMessage("Unable to write to %s", m_destination));
    if (m_times && !platform::SetTimes(m_file.get(), m_times->first, m_times->second))
        m_times.reset();
    return RenameOverDestination();
}

std::optional<platform::FileStatus> PartFile::RenameOverDestination()
{
    if (!PartFileNameStillOurs())
        m_name.clear();
    if (m_name.empty() || !m_file.Close() || !m_folder.Rename(m_name, m_destinationName))
        throw Error(FormatMessage("Unable to write to %s", m_destination));
    m_replacedDestination = true;
    // Read back: a FUSE driver for FAT gives a renamed file the time of the rename, and the next run would
    // copy the file again. A time that still cannot be set only means another copy then.
    const auto copy = m_folder.StatusOf(m_destinationName, platform::Links::DoNotFollow);
    if (copy && m_times && !platform::SameStampOrTime(copy->modified, m_times->second))
        SetTimesAgain();
    return copy;
}

void PartFile::SetTimesAgain()
{
    const auto& [accessed, modified] = *m_times;
    m_folder.SetTimes(m_destinationName, accessed, modified);
    const auto again = m_folder.StatusOf(m_destinationName, platform::Links::DoNotFollow);
    if (!again || platform::SameStampOrTime(again->modified, modified))
        return;
    // A driver that writes times in one zone and reads them in another (the FUSE driver for FAT writes UTC
    // and reads local time) gives each back shifted by the zones' whole minutes: set that much the other way,
    // it reads back as it should, and the next run finds the copy in place.
    const time_t shift = again->modified.tv_sec - modified.tv_sec;
    if (shift % 60 != 0)
        return;
    m_folder.SetTimes(m_destinationName, accessed, timespec{modified.tv_sec - shift, modified.tv_nsec});
    const auto shifted = m_folder.StatusOf(m_destinationName, platform::Links::DoNotFollow);
    if (!shifted || !platform::SameStampOrTime(shifted->modified, modified))
        m_folder.SetTimes(m_destinationName, accessed, modified);
}
