#include "engine/DestinationMount.h"

#include "platform/Folder.h"
#include "platform/MountTable.h"
#include "platform/PathNames.h"

#include <algorithm>
#include <set>

namespace {

std::optional<std::vector<std::string>>& RemovableMediaFoldersSetForTesting()
{
    static std::optional<std::vector<std::string>> folders;
    return folders;
}

std::string ParentOf(const std::string& folder)
{
    const auto slash = folder.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
}

// "/media/usb/Backup" gives "/media", "/media/usb" and "/media/usb/Backup"; "/" is never one of them, since the
// system disk is always there.
std::vector<std::string> FoldersDownTo(const std::string& resolvedRoot)
{
    std::vector<std::string> folders;
    std::string folder;
    for (const std::string& name : platform::NamesOf(resolvedRoot))
        folders.push_back(folder += "/" + name);
    return folders;
}

// A disk that the system mounts only when it is used (an automount point) is mounted by a look inside it, so
// that what is seen next is the disk itself and not the empty automount point.
void LookInside(const std::vector<std::string>& folders)
{
    for (const std::string& folder : folders) {
        if (!platform::StatusOfPath(folder + "/."))
            return;
    }
}

bool DeviceDiffersFromParent(const std::string& folder)
{
    const auto own = platform::StatusOfPath(folder);
    const auto parent = own ? platform::StatusOfPath(ParentOf(folder)) : std::nullopt;
    return parent && own->device != parent->device;
}

bool IsStrictlyBelow(const std::string& path, const std::string& folder)
{
    return folder != "/" && path.size() > folder.size() + 1 && path.starts_with(folder) && path[folder.size()] == '/';
}

} // namespace

std::vector<std::string> RemovableMediaFolders()
{
    if (const auto& folders = RemovableMediaFoldersSetForTesting())
        return *folders;
    return { "/media", "/run/media" };
}

void RemovableMediaFoldersSeam::Set(std::optional<std::vector<std::string>> folders)
{
    RemovableMediaFoldersSetForTesting() = std::move(folders);
}

DestinationMount::DestinationMount(const std::string& destinationRoot)
{
    const std::string root = platform::ResolvedPath(destinationRoot);
    const std::vector<std::string> folders = FoldersDownTo(root);
    LookInside(folders);

    // The kernel's table tells a bind mount of a folder of the same disk too; without it, a mount point is a
    // folder on another device than its parent.
    const std::optional<std::set<std::string>> mountedNow = platform::CurrentMountPoints();
    const auto isMountPoint = [&](const std::string& folder) {
        return mountedNow ? mountedNow->contains(folder) : DeviceDiffersFromParent(folder);
    };

    for (const std::string& folder : folders) {
        const auto info = isMountPoint(folder) ? platform::StatusOfPath(folder) : std::nullopt;
        if (info)
            m_mountedFolders.push_back({ folder, ParentOf(folder), info->device, info->inode });
    }

    for (const std::string& configured : platform::ConfiguredMountPoints()) {
        const std::string point = platform::ResolvedPath(configured);
        if (point != "/" && std::find(folders.begin(), folders.end(), point) != folders.end() && !isMountPoint(point))
            m_unmountedAtStart = true;
    }

    for (const std::string& media : RemovableMediaFolders()) {
        const std::string mediaFolder = platform::ResolvedPath(media);
        if (!IsStrictlyBelow(root, mediaFolder))
            continue;
        const bool mountedBelowMedia = std::any_of(folders.begin(), folders.end(),
            [&](const std::string& folder) { return IsStrictlyBelow(folder, mediaFolder) && isMountPoint(folder); });
        if (!mountedBelowMedia)
            m_unmountedAtStart = true;
    }
}

bool DestinationMount::Lost() const
{
    if (m_unmountedAtStart)
        return true;
    for (const MountedFolder& mounted : m_mountedFolders) {
        const auto now = platform::StatusOfPath(mounted.path);
        if (!now)
            return true;
        if (now->device == mounted.device && now->inode == mounted.inode)
            continue;
        // Another folder answers to the name now. Still a mount point (an automount point whose disk came or
        // went, a disk mounted again) it is the disk; a folder of its parent's device is what lay under it.
        const auto parent = platform::StatusOfPath(mounted.parent);
        if (!parent || parent->device == now->device)
            return true;
    }
    return false;
}
