#include "engine/Scan.h"

#include "engine/FileMask.h"
#include "platform/Folder.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

using platform::EntryKind;
using platform::Folder;

namespace {

// A backslash is an ordinary character of a name here: a folder may end in one ("Drafts\").
bool EndsInSeparator(const std::string& text)
{
    return !text.empty() && text.back() == '/';
}

std::string WithoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && EndsInSeparator(path))
        path.pop_back();
    return path;
}

// A folder by device and inode, so that every spelling of one folder (trailing separators, "./", links to it)
// compares equal.
std::optional<platform::FileStatus> IdentityOfFolder(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    const auto status = platform::StatusOfPath(path);
    if (!status || status->kind != EntryKind::Folder)
        return std::nullopt;
    return status;
}

bool IsSameFolder(const Folder& folder, const std::optional<platform::FileStatus>& identity)
{
    if (!identity)
        return false;
    const auto status = folder.Status();
    return status && status->IsSameFile(*identity);
}

// A link counts as a file only when it leads to a regular file, and never as a folder, so that no link cycle is
// ever followed; fifos, sockets and devices are never opened.
EntryKind KindOf(const Folder& folder, const platform::FolderListing::Entry& entry)
{
    if (entry.kind != EntryKind::Link)
        return entry.kind;
    const auto target = folder.StatusOf(entry.name, platform::Links::Follow);
    return target && target->kind == EntryKind::File ? EntryKind::File : EntryKind::Other;
}

bool IsHiddenName(const char* name)
{
    return name[0] == '.';
}

class TreeScan {
public:
    TreeScan(RunContext& ctx, const std::string& mask, bool recurse, std::vector<UnlistableFolder>& unlistable,
             ScannedFolders* kept)
        : m_ctx(ctx), m_mask(mask), m_recurse(recurse),
          m_excluded(IdentityOfFolder(WithoutTrailingSeparators(ctx.ExcludedFolder))), m_unlistable(unlistable),
          m_kept(kept)
    {
    }

    void ScanTop(const Folder& top, const std::string& folder)
    {
        // An empty folder text names no folder; read as "/" it would back up the whole system.
        if (folder.empty() || !top.valid()) {
            NoteUnlistable(folder, folder.empty() ? ENOENT : top.error());
            return;
        }
        // A destination that is the source itself leaves nothing to back up: a clean picture would say otherwise.
        if (IsSameFolder(top, m_excluded)) {
            m_unlistable.push_back({folder, m_ctx.Text[UiKey::Error1]});
            return;
        }
        if (!IsNotToBeEntered(top))
            ScanOpenFolder(top, SourceBaseOf(folder));
    }

private:
    // The file pass and the folder pass of one folder. Both passes read the same listing, taken once: the files
    // are collected as they come, the subfolders are noted and scanned afterwards, in listing order, each
    // opened from this folder, which stays open meanwhile: one descriptor for each level of depth. A folder
    // that holds files gets its place among the kept ones before its subfolders do, as its files come first.
    std::optional<size_t> ScanOpenFolder(const Folder& folder, const std::string& base)
    {
        std::vector<std::string> subfolders;
        const int32_t filesBefore = m_ctx.FileCount;
        ListFolder(folder, base, subfolders);
        const auto place = m_kept && m_ctx.FileCount > filesBefore ? m_kept->Reserve(base) : std::nullopt;
        if (!m_recurse)
            return place;
        for (const std::string& name : subfolders) {
            if (MustEnd())
                break;
            ScanSubfolder(folder, name, base + name);
        }
        m_ctx.View.SetPanelText(PathPanel, "");
        m_ctx.View.SetPanelText(MethodPanel, "");
        return place;
    }

    // Besides each file found, the window is let breathe at each subfolder and at each entry that is looked at
    // through a link: a tree of empty folders or of dead links would otherwise hold it for seconds.
    void ListFolder(const Folder& folder, const std::string& base, std::vector<std::string>& subfolders)
    {
        platform::FolderListing listing(folder);
        while (const auto entry = listing.Next()) {
            if (MustEnd())
                return;
            switch (KindOf(folder, *entry)) {
            case EntryKind::File:
                if (m_mask.Matches(entry->name))
                    AddFile(base, entry->name);
                break;
            case EntryKind::Folder:
                if (m_recurse && !IsHiddenName(entry->name))
                    subfolders.emplace_back(entry->name);
                break;
            default:
                m_ctx.View.PumpMessages();
                break;
            }
        }
        // A listing that breaks off (a disk error) leaves the rest of the folder out of the backup.
        if (listing.error() != 0)
            NoteUnlistable(WithoutTrailingSeparators(base), listing.error());
    }

    // Opened from its parent without following a link, so a folder swapped for a link since the listing is never
    // entered. One that is gone, or is no folder any more, was not part of the tree and is not noted; one that
    // cannot be opened otherwise (no descriptors left in a very deep tree, no permission) is.
    void ScanSubfolder(const Folder& parent, const std::string& name, const std::string& path)
    {
        m_ctx.View.PumpMessages();
        Folder folder = parent.OpenChild(name);
        if (!folder.valid()) {
            const int error = folder.error();
            if (error != ENOENT && error != ENOTDIR && error != ELOOP)
                NoteUnlistable(path, error);
            return;
        }
        if (IsNotToBeEntered(folder))
            return;
        if (const auto place = ScanOpenFolder(folder, path + "/"))
            m_kept->Keep(*place, std::move(folder));
    }

    // The run's own destination would otherwise be backed up into itself again at every run, and a virtual file
    // system's files can block a read or never end it. A folder on its parent's mount is on the file system of
    // a folder the scan has entered, which no virtual one is.
    bool IsNotToBeEntered(const Folder& folder) const
    {
        return IsSameFolder(folder, m_excluded) || (!folder.LiesOnItsParentsMount() && folder.IsOnVirtualFileSystem());
    }

    bool MustEnd() const { return m_ctx.StopRequested || m_ctx.TableOverflowed; }

    void NoteUnlistable(const std::string& folder, int error)
    {
        m_unlistable.push_back({folder, std::strerror(error)});
    }
    void AddFile(const std::string& base, const char* name)
    {
        if (m_ctx.FileCount >= m_ctx.Files.Capacity()) {
            m_ctx.TableOverflowed = true;
            return;
        }
        const int32_t number = m_ctx.FileCount + 1;
        const std::string_view path = m_ctx.Files.Put(number, base, name);
        m_ctx.FileCount = number;
        m_ctx.View.SetPanelText(PathPanel, path);
        m_ctx.View.PumpMessages();
    }

    RunContext& m_ctx;
    const FileMask m_mask;
    const bool m_recurse;
    const std::optional<platform::FileStatus> m_excluded;
    std::vector<UnlistableFolder>& m_unlistable;
    ScannedFolders* m_kept;
};

} // namespace

std::string SourceBaseOf(const std::string& folder)
{
    return EndsInSeparator(folder) ? folder : folder + "/";
}

void ScanFolder(RunContext& ctx, const Folder& top, const std::string& folder, const std::string& mask, bool recurse,
                std::vector<UnlistableFolder>& unlistable, ScannedFolders* kept)
{
    TreeScan(ctx, mask, recurse, unlistable, kept).ScanTop(top, folder);
}

void ScanFolder(RunContext& ctx, const std::string& folder, const std::string& mask, bool recurse,
                std::vector<UnlistableFolder>& unlistable)
{
    ScanFolder(ctx, Folder::OpenTop(folder), folder, mask, recurse, unlistable);
}

void ScanFolder(RunContext& ctx, const std::string& folder, const std::string& mask, bool recurse)
{
    std::vector<UnlistableFolder> unlistable;
    ScanFolder(ctx, folder, mask, recurse, unlistable);
}
