#include "engine/CopyRun.h"

#include "engine/CopyMethods.h"
#include "engine/DestinationFolders.h"
#include "engine/DestinationMount.h"
#include "engine/ErrorLog.h"
#include "engine/FolderChain.h"
#include "engine/Scan.h"
#include "engine/TableFullText.h"
#include "platform/LargePages.h"

#include <cstdint>
#include <exception>
#include <memory_resource>
#include <optional>
#include <set>
#include <stdexcept>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Ends the copy loop through the run-level failure handler.
class RunAbort : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The log itself cannot be written. Logging that too would fail the same way, so it ends the run
// and the user hears of it once.
class LogUnwritable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void AppendToLog(const std::string& text)
{
    try {
        AppendErrorLog(text);
    } catch (const std::exception& failure) {
        throw LogUnwritable(failure.what());
    }
}

// Panels 1 and 3 emptied, the gauge hidden and the Run button back, however the run ends.
class EndOfRunSteps {
public:
    explicit EndOfRunSteps(RunContext& ctx) : m_ctx(ctx) {}
    ~EndOfRunSteps()
    {
        m_ctx.View.SetPanelText(PathPanel, "");
        m_ctx.View.SetPanelText(MethodPanel, "");
        m_ctx.View.HideGauge();
        m_ctx.View.SetRunButton(m_ctx.Text[UiKey::Mrun], RunImage);
    }
    EndOfRunSteps(const EndOfRunSteps&) = delete;
    EndOfRunSteps& operator=(const EndOfRunSteps&) = delete;

private:
    RunContext& m_ctx;
};

bool HasDriveDesignator(const std::string& path)
{
    const char c = path.size() >= 2 ? path[0] : '\0';
    return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':';
}

[[noreturn]] void EndForMissingDrive(RunContext& ctx)
{
    ctx.LastRunFailed = 1;
    ctx.Failures.destinationMissing = true;
    throw RunAbort("");
}

template <typename Attempt>
bool Succeeds(Attempt attempt)
{
    try {
        attempt();
        return true;
    } catch (const SourcePassedOver&) {
        throw;
    } catch (const SourceRefused&) {
        throw;
    } catch (const DestinationFull&) {
        throw;
    } catch (const std::exception&) {
        return false;
    }
}

// Every file loses the part file that a killed run may have left beside it: a copy made now may need none.
void FirstAttempt(RunContext& ctx, DestinationFolders& folders, const FileToCopy& file, bool needsCopy)
{
    folders.RemoveLeftoverPartOf(file.sourceFolder, file.destinationName);
    if (needsCopy)
        CopyByBlocks(ctx, file);
}

void LogFileFailure(RunContext& ctx, const FileToCopy& file)
{
    ctx.LastRunFailed = 1;
    ++ctx.Failures.filesNotCopied;
    AppendToLog(FileFailureText(ctx.Text, file.sourcePath, file.destinationPath));
}

// Whether the file is in place in the backup, copied now or before.
bool TryEveryMethod(RunContext& ctx, const DestinationMount& mount, DestinationFolders& folders,
                    const FileToCopy& file, bool needsCopy)
{
    bool full = false;
    try {
        if (Succeeds([&] { FirstAttempt(ctx, folders, file, needsCopy); }))
            return true;
    } catch (const DestinationFull&) {
        full = true;
    }
    // The block copy pumped the window: the disk may have gone since, or the folder been removed. A disk
    // that went ends the run before anything is written to the folder that lay under it; a removed folder
    // is made again, as it would have been for a file that came later.
    if (mount.Lost())
        EndForMissingDrive(ctx);
    if (full) {
        LogFileFailure(ctx, file);
        return false;
    }
    folders.PrepareAgain();
    if (!folders.RootFolderExists())
        EndForMissingDrive(ctx);
    UnreachableFolder unreachable;
    const platform::Folder notOpen;
    const platform::Folder* destinationFolder
        = folders.Prepare(file.destinationPath, unreachable, [&] { return &file.sourceFolder; });
    const FileToCopy again{file.sourceFolder, file.sourceName, destinationFolder ? *destinationFolder : notOpen,
                           file.destinationName, file.sourcePath, file.destinationPath, file.destinationSeen};
    if (Succeeds([&] { CopyByStream(ctx, again); }) || Succeeds([&] { CopyBySystem(ctx, again); }))
        return true;
    LogFileFailure(ctx, again);
    return false;
}

// A file on a virtual file system is no data of the user's, like a fifo or a device: it is passed over
// without a log line, or every run of a tree that holds such a link would be marked failed for ever. A link
// the running user may not follow is passed over too, with one line that says why.
bool CopyWithFallbacks(RunContext& ctx, const DestinationMount& mount, DestinationFolders& folders,
                       const FileToCopy& file, bool needsCopy)
{
    try {
        return TryEveryMethod(ctx, mount, folders, file, needsCopy);
    } catch (const SourcePassedOver&) {
    } catch (const SourceRefused& refusal) {
        ctx.LastRunFailed = 1;
        ++ctx.Failures.filesNotCopied;
        AppendToLog(FolderFailureText(ctx.Text, file.sourcePath, refusal.what()));
    }
    return false;
}

// The folders that this run never enters because something else stands where they belong, each logged
// once: the files below one are its failure, and a line for each of them would only repeat it.
class UnreachableFolders {
public:
    explicit UnreachableFolders(RunContext& ctx) : m_ctx(ctx) {}

    void PassOver(const UnreachableFolder& folder)
    {
        m_ctx.LastRunFailed = 1;
        ++m_ctx.Failures.filesNotCopied;
        if (m_logged.insert(folder.folder).second)
            AppendToLog(FolderFailureText(m_ctx.Text, folder.folder, folder.reason));
    }

private:
    RunContext& m_ctx;
    std::set<std::string> m_logged;
};

// Which destination file each destination name of this run reached. On a disk that ignores letter case (a FAT
// or exFAT stick) "A.txt" and "a.txt" name one file: the second name would replace the first one's copy, and
// each would be copied again at every run; a folder mounted twice is the same. A name that reaches a file
// already claimed by another is a failure of its own, and the first name's copy stays; unless the two are
// entries of their own: the other name lies in another folder (not the same one reached by another path), or
// in the same folder by the same path, which lists this one as an entry of its own. Two entries of one file
// are two names (hard links, as a deduplicated backup has), each copied as its source needs. Only names
// whose file another holds pay for the look at the folder.
class DestinationNames {
public:
    explicit DestinationNames(RunContext& ctx) : m_ctx(ctx) {}

    // Whether seen, what stands under the destination of file number in folders' prepared folder, is the file
    // of another name of this run.
    bool ClaimedByAnother(const std::optional<platform::FileStatus>& seen, int32_t number,
                          DestinationFolders& folders, const std::string& name) const
    {
        if (!seen || seen->kind != platform::EntryKind::File)
            return false;
        const auto claim = m_claimed.find(FileKey{seen->device, seen->inode});
        if (claim == m_claimed.end() || claim->second.number == number)
            return false;
        const ClaimBy& other = claim->second;
        const auto here = other.folder ? folders.PreparedFolderIdentity() : std::nullopt;
        if (here && !(*other.folder == FileKey{here->device, here->inode}))
            return false;
        return other.folderNumber != folders.FolderNumber() || !folders.HoldsEntryNamed(name);
    }

    // The file that the destination of file number names now, once it is in place in folders' prepared
    // folder. Each file of the table has a destination of its own, so its number stands for that name.
    void Claim(const std::optional<platform::FileStatus>& placed, int32_t number, DestinationFolders& folders)
    {
        if (!placed || placed->kind != platform::EntryKind::File)
            return;
        // A file of one name can only be reached again by another path to the same entry: its folder's
        // identity is looked up only for a file of several names.
        const auto folder = placed->links > 1 ? folders.PreparedFolderIdentity() : std::nullopt;
        m_claimed.insert_or_assign(FileKey{placed->device, placed->inode},
                                   ClaimBy{number, folders.FolderNumber(),
                                           folder ? std::optional(FileKey{folder->device, folder->inode})
                                                  : std::nullopt});
    }

    void PassOver(const FileToCopy& file)
    {
        m_ctx.LastRunFailed = 1;
        ++m_ctx.Failures.filesNotCopied;
        AppendToLog(FileFailureText(m_ctx.Text, file.sourcePath, file.destinationPath)
                    + ": another file of this backup already has this name here");
    }

private:
    struct FileKey {
        dev_t device;
        ino_t inode;
        bool operator==(const FileKey&) const = default;
    };
    struct FileKeyHash {
        size_t operator()(const FileKey& key) const { return std::hash<ino_t>()(key.inode) ^ (key.device << 1); }
    };
    struct ClaimBy {
        int32_t number;
        uint64_t folderNumber; // as DestinationFolders numbers the folders it enters
        std::optional<FileKey> folder; // the folder's own identity, where known
    };

    RunContext& m_ctx;
    // One claim for each file copied or found in place, none given back before the run ends.
    std::pmr::monotonic_buffer_resource m_claimStore{size_t{2} << 20, &platform::LargePageMemory()};
    std::pmr::unordered_map<FileKey, ClaimBy, FileKeyHash> m_claimed{&m_claimStore};
};

// The source tree's folders, walked down from its open top: the file's path below the top names them.
// Most are still open from the scan.
class SourceFolders {
public:
    SourceFolders(platform::Folder top, const std::string& base, ScannedFolders scanned)
        : m_base(base), m_chain(std::move(top), base), m_scanned(std::move(scanned))
    {
    }

    const platform::Folder* FolderOf(const std::string& source, UnreachableFolder& failure)
    {
        if (const platform::Folder* scanned = m_scanned.FolderOf(source))
            return scanned;
        return m_chain.Reach(FolderNamesOf(FolderPartOf(source.substr(m_base.size()))), false, failure);
    }

private:
    std::string m_base;
    FolderChain m_chain;
    ScannedFolders m_scanned;
};

void CopyEveryFile(RunContext& ctx, SourceFolders& sources, const std::string& destinationRoot)
{
    const DestinationMount mount(destinationRoot);
    DestinationFolders folders(destinationRoot);
    UnreachableFolders unreachable(ctx);
    DestinationNames names(ctx);
    // Stands for a folder that could not be opened or made for any other reason (no permission, a disk
    // error): each file of it fails in every method and is logged, as a copy that cannot be made.
    const platform::Folder notOpen;
    const int32_t count = ctx.FileCount;
    uint64_t folderNumber = 0;
    int32_t firstOfFolder = 1;
    std::string source; // one buffer for every file's
    std::string destination;
    for (int32_t i = 1; i <= count; ++i) {
        ctx.View.SetGaugePosition(i);
        source.assign(ctx.Files[i]);
        MapToDestination(source, destinationRoot, destination);
        // An unmounted disk is a missing drive too; asked before any folder is made, since its folders would
        // go to the system disk under the mount point.
        if (mount.Lost())
            EndForMissingDrive(ctx);
        UnreachableFolder failure;
        const platform::Folder* destinationFolder = folders.Prepare(destination, failure, [&] {
            UnreachableFolder notFound;
            return sources.FolderOf(source, notFound);
        });
        if (folders.FolderNumber() != folderNumber) {
            folderNumber = folders.FolderNumber();
            firstOfFolder = i;
        }
        if (!destinationFolder && !failure.IsNoFolder())
            destinationFolder = &notOpen;
        const platform::Folder* sourceFolder = destinationFolder ? sources.FolderOf(source, failure) : nullptr;
        if (destinationFolder && !sourceFolder && !failure.IsNoFolder())
            sourceFolder = &notOpen;
        std::optional<platform::FileStatus> destinationSeen;
        std::optional<FileToCopy> file;
        if (sourceFolder)
            file.emplace(FileToCopy{*sourceFolder, NameOf(source), *destinationFolder, NameOf(destination), source,
                                    destination, &destinationSeen});
        const bool needsCopy = !file || NeedsCopy(*file);
        // A copy that was just found in its folder below the root proves that the root's folder part is there,
        // as far as a file that is left alone cares: the check by path is for a file about to be written.
        if (needsCopy && !folders.RootFolderExists())
            EndForMissingDrive(ctx);
        // Files of one destination folder come from one source folder.
        if (file && needsCopy && folders.ListForLeftovers())
            for (int32_t passed = firstOfFolder; passed < i; ++passed)
                folders.RemoveLeftoverPartOf(*sourceFolder, NameOf(ctx.Files[passed]));
        ctx.View.SetPanelText(PathPanel, source);
        if (ctx.StopRequested)
            break;
        if (!file)
            unreachable.PassOver(failure);
        else if (names.ClaimedByAnother(destinationSeen, i, folders, file->destinationName)
                 || (destinationSeen && folders.IsAnotherSpellingOfAPlacedName(file->destinationName)))
            names.PassOver(*file);
        else if (CopyWithFallbacks(ctx, mount, folders, *file, needsCopy)) {
            names.Claim(destinationSeen, i, folders);
            folders.Placed(file->destinationName);
        }
        ctx.View.PumpMessages();
    }
}

// The run-level failure handler: whatever ends the loop is logged as a run abort line.
void CopyEveryFileOrAbort(RunContext& ctx, SourceFolders& sources, const std::string& destinationRoot)
{
    try {
        CopyEveryFile(ctx, sources, destinationRoot);
    } catch (const LogUnwritable&) {
        throw;
    } catch (const std::exception& failure) {
        ctx.LastRunFailed = 1;
        if (!ctx.Failures.destinationMissing)
            ctx.Failures.aborted = true;
        AppendToLog(failure.what());
    }
}

void ScanAndCopy(RunContext& ctx, const std::string& source, const std::string& destinationRoot)
{
    ctx.FileCount = 0;
    ctx.TableOverflowed = false;
    ctx.Failures = RunFailures();
    ctx.VirtualDevices = {};
    ctx.User.reset();
    ctx.ExcludedFolder = destinationRoot;
    std::vector<UnlistableFolder> unlistable;
    // Opened once: the scan and the copy walk down from it, never again by a whole path.
    platform::Folder top = platform::Folder::OpenTop(source);
    ScannedFolders scanned;
    ScanFolder(ctx, top, source, "*.*", true, unlistable, &scanned);
    SourceFolders sources(std::move(top), SourceBaseOf(source), std::move(scanned));
    ctx.View.ShowGauge(ctx.FileCount);
    ctx.LastRunFailed = 0;
    // A source that cannot be read (a disk unplugged, a folder the user may not list) is a failure: a clean
    // picture would tell the user for months that files are backed up that are not.
    for (const UnlistableFolder& folder : unlistable) {
        ctx.LastRunFailed = 1;
        ++ctx.Failures.foldersNotRead;
        AppendToLog(FolderFailureText(ctx.Text, folder.folder, folder.reason));
    }
    if (ctx.TableOverflowed) {
        ctx.LastRunFailed = 1;
        ctx.Failures.aborted = true;
        AppendToLog(TableFullText(ctx.Files.Capacity()));
    }
    CopyEveryFileOrAbort(ctx, sources, destinationRoot);
}

} // namespace

void RunBackup(RunContext& ctx, const std::string& source, const std::string& destinationRoot)
{
    // Copies: the caller's texts may belong to a profile table that is reloaded while the run
    // pumps messages.
    const std::string runSource = source;
    const std::string runDestinationRoot = destinationRoot;
    std::optional<std::string> unwritableLog;
    {
        const EndOfRunSteps endOfRun(ctx);
        try {
            ScanAndCopy(ctx, runSource, runDestinationRoot);
        } catch (const LogUnwritable& failure) {
            ctx.LastRunFailed = 1;
            ctx.Failures.aborted = true;
            unwritableLog = failure.what();
        }
    }
    // Reported after the window is back to idle, so the box never shows over a run that looks alive.
    if (unwritableLog)
        ctx.View.ReportError(*unwritableLog);
}

std::string MapToDestination(const std::string& sourcePath, const std::string& destinationRoot)
{
    std::string destination;
    MapToDestination(sourcePath, destinationRoot, destination);
    return destination;
}

void MapToDestination(const std::string& sourcePath, const std::string& destinationRoot, std::string& destination)
{
    // A Windows path drops its drive; any other path keeps its whole length below the root.
    const size_t drive = HasDriveDesignator(sourcePath) ? 2 : 0;
    destination.assign(destinationRoot).append(sourcePath, drive);
}
