#include "engine/Scan.h"

#include "engine/FileMask.h"
#include "platform/VirtualFileSystem.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A folder by device and inode, so that every spelling of one folder (trailing separators, "./", links to it)
// compares equal.
struct FolderIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool known = false;
};

bool EndsInSeparator(const std::string& text)
{
    return !text.empty() && (text.back() == '/' || text.back() == '\\');
}

std::string WithoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && EndsInSeparator(path))
        path.pop_back();
    return path;
}

FolderIdentity IdentityOfFolder(const std::string& path)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    return {info.st_dev, info.st_ino, true};
}

bool IsSameFolder(int folderDescriptor, const FolderIdentity& identity)
{
    struct stat info {};
    return identity.known && ::fstat(folderDescriptor, &info) == 0 && info.st_dev == identity.device
        && info.st_ino == identity.inode;
}

// O_NONBLOCK and O_DIRECTORY together make sure that opening never waits, whatever the name turns out to be.
constexpr int FolderOpenFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC;

enum class EntryKind { File, Folder, Other };

bool LinkLeadsToRegularFile(int folderDescriptor, const char* name)
{
    struct stat target {};
    return ::fstatat(folderDescriptor, name, &target, 0) == 0 && S_ISREG(target.st_mode);
}

EntryKind KindFromStat(int folderDescriptor, const char* name)
{
    struct stat info {};
    if (::fstatat(folderDescriptor, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryKind::Other;
    if (S_ISREG(info.st_mode))
        return EntryKind::File;
    if (S_ISDIR(info.st_mode))
        return EntryKind::Folder;
    if (S_ISLNK(info.st_mode) && LinkLeadsToRegularFile(folderDescriptor, name))
        return EntryKind::File;
    return EntryKind::Other;
}

// The listing's own type is trusted, so a plain file or folder costs no stat. A link counts as a file only when
// it leads to a regular file, and never as a folder, so that no link cycle is ever followed; fifos, sockets and
// devices are never opened.
EntryKind KindOf(int folderDescriptor, const dirent& entry)
{
    switch (entry.d_type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
        return EntryKind::Folder;
    case DT_LNK:
        return LinkLeadsToRegularFile(folderDescriptor, entry.d_name) ? EntryKind::File : EntryKind::Other;
    case DT_UNKNOWN:
        return KindFromStat(folderDescriptor, entry.d_name);
    default:
        return EntryKind::Other;
    }
}

bool IsHiddenName(const char* name)
{
    return name[0] == '.';
}

class TreeScan {
public:
    TreeScan(RunContext& ctx, const std::string& mask, bool recurse, std::vector<UnlistableFolder>& unlistable)
        : m_ctx(ctx), m_mask(mask), m_recurse(recurse),
          m_excluded(IdentityOfFolder(WithoutTrailingSeparators(ctx.ExcludedFolder))), m_unlistable(unlistable)
    {
    }

    void ScanTop(const std::string& folder)
    {
        const std::string base = EndsInSeparator(folder) ? folder : folder + "/";
        // An empty folder text names no folder; read as "/" it would back up the whole system.
        if (folder.empty())
            NoteUnlistable(folder, ENOENT);
        ScanOpenFolder(folder.empty() ? -1 : OpenToEnter(folder, base, FolderOpenFlags, true), base);
    }

private:
    // The file pass and the folder pass of one folder. Both passes read the same listing, taken once: the files
    // are collected as they come, the subfolders are noted and scanned afterwards, in listing order. Takes over
    // descriptor; -1 stands for a folder that cannot be listed, which adds nothing.
    void ScanOpenFolder(int descriptor, const std::string& base)
    {
        std::vector<std::string> subfolders;
        ListFolder(descriptor, base, subfolders);
        if (!m_recurse)
            return;
        for (const std::string& name : subfolders) {
            if (MustEnd())
                break;
            ScanSubfolder(base + name);
        }
        m_ctx.View.SetPanelText(1, "");
        m_ctx.View.SetPanelText(3, "");
    }

    void ListFolder(int descriptor, const std::string& base, std::vector<std::string>& subfolders)
    {
        if (descriptor < 0)
            return;
        DIR* listing = ::fdopendir(descriptor);
        if (!listing) {
            NoteUnlistable(WithoutTrailingSeparators(base), errno);
            ::close(descriptor);
            return;
        }
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(listing);
            if (!entry) {
                // A listing that breaks off (a disk error) leaves the rest of the folder out of the backup.
                if (errno != 0)
                    NoteUnlistable(WithoutTrailingSeparators(base), errno);
                break;
            }
            if (MustEnd())
                break;
            switch (KindOf(descriptor, *entry)) {
            case EntryKind::File:
                if (m_mask.Matches(entry->d_name))
                    AddFile(base, entry->d_name);
                break;
            case EntryKind::Folder:
                if (m_recurse && !IsHiddenName(entry->d_name))
                    subfolders.emplace_back(entry->d_name);
                break;
            case EntryKind::Other:
                break;
            }
        }
        ::closedir(listing);
    }

    // Opened by its full path rather than relative to its parent, so that no descriptor stays open per level of
    // depth. O_NOFOLLOW keeps a folder that was swapped for a link since the listing from being entered; it needs
    // the path without its trailing "/", which would make the link be followed all the same.
    void ScanSubfolder(const std::string& folder)
    {
        ScanOpenFolder(OpenToEnter(folder, folder, FolderOpenFlags | O_NOFOLLOW, false), folder + "/");
    }

    // -1 for a folder that cannot be listed or is not to be entered: either way it adds nothing, but one that
    // cannot be listed is noted. A subfolder gone since the listing, or turned into a file or a link, is not.
    int OpenToEnter(const std::string& folder, const std::string& path, int flags, bool top)
    {
        const int descriptor = ::open(path.c_str(), flags);
        if (descriptor < 0 && (top || (errno != ENOENT && errno != ENOTDIR && errno != ELOOP)))
            NoteUnlistable(folder, errno);
        if (descriptor >= 0 && IsNotToBeEntered(descriptor)) {
            ::close(descriptor);
            return -1;
        }
        return descriptor;
    }

    // The run's own destination would otherwise be backed up into itself again at every run, and a virtual file
    // system's files can block a read or never end it.
    bool IsNotToBeEntered(int descriptor) const
    {
        return IsSameFolder(descriptor, m_excluded) || platform::IsOnVirtualFileSystem(descriptor);
    }

    bool MustEnd() const { return m_ctx.StopRequested || m_ctx.TableOverflowed; }

    void NoteUnlistable(const std::string& folder, int error)
    {
        m_unlistable.push_back({folder, std::strerror(error)});
    }

    // The path is built once, straight into the table entry, whose storage a previous run has often left large
    // enough already.
    void AddFile(const std::string& base, const char* name)
    {
        if (m_ctx.FileCount >= m_ctx.Files.Capacity()) {
            m_ctx.TableOverflowed = true;
            return;
        }
        const int32_t number = m_ctx.FileCount + 1;
        std::string& path = m_ctx.Files[number];
        path.assign(base).append(name);
        m_ctx.FileCount = number;
        m_ctx.View.SetPanelText(1, path);
        m_ctx.View.PumpMessages();
    }

    RunContext& m_ctx;
    const FileMask m_mask;
    const bool m_recurse;
    const FolderIdentity m_excluded;
    std::vector<UnlistableFolder>& m_unlistable;
};

} // namespace

void ScanFolder(RunContext& ctx, const std::string& folder, const std::string& mask, bool recurse,
                std::vector<UnlistableFolder>& unlistable)
{
    TreeScan(ctx, mask, recurse, unlistable).ScanTop(folder);
}

void ScanFolder(RunContext& ctx, const std::string& folder, const std::string& mask, bool recurse)
{
    std::vector<UnlistableFolder> unlistable;
    ScanFolder(ctx, folder, mask, recurse, unlistable);
}
