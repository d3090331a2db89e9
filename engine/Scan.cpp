#include "engine/Scan.h"

#include "engine/FileMask.h"
#include "platform/VirtualFileSystem.h"

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
    TreeScan(RunContext& ctx, const std::string& mask, bool recurse)
        : m_ctx(ctx), m_mask(mask), m_recurse(recurse),
          m_excluded(IdentityOfFolder(WithoutTrailingSeparators(ctx.ExcludedFolder)))
    {
    }

    void ScanTop(const std::string& folder)
    {
        const std::string base = EndsInSeparator(folder) ? folder : folder + "/";
        // An empty folder text names no folder; read as "/" it would back up the whole system.
        ScanOpenFolder(folder.empty() ? -1 : OpenToEnter(base, FolderOpenFlags), base);
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
            ::close(descriptor);
            return;
        }
        while (const dirent* entry = ::readdir(listing)) {
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
        ScanOpenFolder(OpenToEnter(folder, FolderOpenFlags | O_NOFOLLOW), folder + "/");
    }

    // -1 for a folder that cannot be listed or is not to be entered: either way it adds nothing.
    int OpenToEnter(const std::string& folder, int flags) const
    {
        const int descriptor = ::open(folder.c_str(), flags);
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
};

} // namespace

void ScanFolder(RunContext& ctx, const std::string& folder, const std::string& mask, bool recurse)
{
    TreeScan(ctx, mask, recurse).ScanTop(folder);
}
