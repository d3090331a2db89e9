#include "engine/CopyMethods.h"

#include "engine/PartFile.h"
#include "engine/WriteBehind.h"
#include "platform/BlockCopy.h"
#include "platform/DosStamp.h"
#include "platform/Error.h"
#include "platform/FileContent.h"
#include "platform/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

using platform::FileDescriptor;
using platform::FileStatus;

namespace {

constexpr size_t StreamPieceSize = size_t{1} << 18;

uid_t RunningUser(RunContext& ctx)
{
    if (!ctx.User)
        ctx.User = platform::RunningUser();
    return *ctx.User;
}

struct SourceFile {
    FileDescriptor file;
    FileStatus info;
};

// Only regular files are read, and only for reading: opening a source for writing would tell every
// watcher of the file (sync clients, indexers, build tools) that it was written. The open never waits
// on a fifo that took a file's place since the scan.
SourceFile OpenSource(RunContext& ctx, const FileToCopy& file)
{
    SourceFile source;
    // A name that is no link is opened as it stands. A link is looked at before it is followed and the open
    // file after it, so that a link put in the name's place between the two is caught either way.
    source.file = file.sourceFolder.OpenForReading(file.sourceName, platform::Links::DoNotFollow);
    std::optional<FileStatus> atLook;
    if (!source.file.valid() && errno == ELOOP) {
        atLook = file.sourceFolder.StatusOf(file.sourceName, platform::Links::DoNotFollow);
        if (atLook)
            source.file = file.sourceFolder.OpenFileBehindLink(file.sourceName);
    }
    const auto info = source.file.valid() ? platform::StatusOfOpenFile(source.file.get()) : std::nullopt;
    if (!info || info->kind != platform::EntryKind::File
        || (atLook && atLook->kind == platform::EntryKind::File && !atLook->IsSameFile(*info)))
        throw Error(FormatMessage("Cannot open file %s", file.sourcePath));
    if (atLook && atLook->kind == platform::EntryKind::Link && atLook->owner != RunningUser(ctx)
        && atLook->owner != info->owner)
        throw SourceRefused("symbolic link of another user, not followed");
    source.info = *info;
    // Asked of the open file, since the scan saw only the name: a link can lead there, or be made to.
    if (ctx.VirtualDevices.IsOnVirtualFileSystem(source.file.get(), info->device))
        throw SourcePassedOver(file.sourcePath);
    return source;
}

// What stands under the destination's name, links followed. The look that decided the copy serves, unless
// it found a link.
std::optional<FileStatus> DestinationFollowed(const FileToCopy& file)
{
    if (file.destinationSeen && (!*file.destinationSeen || (*file.destinationSeen)->kind != platform::EntryKind::Link))
        return *file.destinationSeen;
    return file.destinationFolder.StatusOf(file.destinationName, platform::Links::Follow);
}

// Two spellings can name one file ("//home/a" below a destination root of "/", a second hard link, a
// folder mounted twice): a copy made beside it and renamed over it would replace the source itself.
// Links are followed, since a link at the destination that leads to the source is the source too.
void RefuseCopyOntoItself(const RunContext& ctx, const SourceFile& source, const FileToCopy& file)
{
    const auto destination = DestinationFollowed(file);
    if (destination && source.info.IsSameFile(*destination))
        throw Error(ctx.Text[UiKey::Error1]);
}

SourceFile OpenSourceToCopy(RunContext& ctx, const FileToCopy& file)
{
    SourceFile source = OpenSource(ctx, file);
    RefuseCopyOntoItself(ctx, source, file);
    return source;
}

// The copy in the making, in the folder that was checked: an unnamed file where the look found nothing.
PartFile StartCopy(const FileToCopy& file, const SourceFile& source)
{
    const bool destinationMissing = file.destinationSeen && !*file.destinationSeen;
    return PartFile(file.destinationFolder, file.sourceFolder, file.destinationName, file.destinationPath,
                    destinationMissing, CopyPermissionsFrom(source.info.permissions));
}

// Run as root, a copy keeps its source's owner, so that a restore gives the files back to their users;
// anyone else can only make copies of their own.
const FileStatus* OwnerToKeep(RunContext& ctx, const SourceFile& source)
{
    return RunningUser(ctx) == 0 ? &source.info : nullptr;
}

// The time comes last before the close: a FUSE driver may stamp a file with the time of any later change.
template <typename StampCopy>
void PutInPlace(RunContext& ctx, const FileToCopy& file, PartFile& copy, const SourceFile& source, StampCopy stampCopy)
{
    copy.SetOwnerAndPermissions(CopyPermissionsFrom(source.info.permissions), OwnerToKeep(ctx, source));
    stampCopy();
    const auto placed = copy.ReplaceDestination();
    if (file.destinationSeen)
        *file.destinationSeen = placed;
}

// The source's stamp as it was when the source was opened, on the open copy: a file changed while
// it was being copied then differs from its copy, and the next run copies it again. A time that has
// no stamp is copied whole, so that the copy compares equal to it. A stamp that cannot be set
// leaves the copy with the time of copying, which also only means another copy.
void CopyStamp(const SourceFile& source, PartFile& copy)
{
    copy.SetTimes(source.info.accessed, platform::StampedTime(source.info.modified));
}

bool ChangedSinceOpened(const SourceFile& source, const FileStatus& now)
{
    return now.size != source.info.size || now.modified.tv_sec != source.info.modified.tv_sec
        || now.modified.tv_nsec != source.info.modified.tv_nsec;
}

// Whether the source still begins with what the copy holds, over the source's length when it was opened.
bool CopyIsLeadOfSource(const SourceFile& source, const PartFile& copy)
{
    std::vector<char> ours(CopyBlockSize);
    std::vector<char> theirs(CopyBlockSize);
    for (off_t at = 0; at < source.info.size;) {
        const size_t wanted = static_cast<size_t>(std::min<off_t>(source.info.size - at, CopyBlockSize));
        if (!platform::ReadWholeAt(copy.fd(), ours.data(), wanted, at)
            || !platform::ReadWholeAt(source.file.get(), theirs.data(), wanted, at)
            || std::memcmp(ours.data(), theirs.data(), wanted) != 0)
            return false;
        at += static_cast<off_t>(wanted);
    }
    return true;
}

// A source that only grew while it was read (an appended log or mailbox) still begins with what was
// copied: the copy is good, of the length the file had when opened and with its stamp of then, so the
// next run takes the rest. Without this such a file would fail at every run and keep its old copy.
bool OnlyGrewSinceOpened(const SourceFile& source, const FileStatus& now, const PartFile& copy)
{
    return now.size > source.info.size && CopyIsLeadOfSource(source, copy);
}

// A kept copy of a source written to while it was read must not pass for current. The stamp the source had
// when opened shows it older, unless the change left the source within that stamp's 2 seconds (a rewrite
// in place): one stamp earlier then, or the mix would stay until the file changes again.
void MarkAsOlderThanSource(SourceFile& source, const std::optional<FileStatus>& now)
{
    if (now && !platform::SameStampOrTime(now->modified, source.info.modified))
        return;
    timespec earlier = platform::StampedTime(source.info.modified);
    earlier.tv_sec -= 2;
    source.info.modified = earlier;
}

// A source written to while it was read can leave a copy that mixes old and new content. Such a copy never
// takes the place of a previous copy: the method fails, and the next one copies the file as it is now.
// Where there is no copy yet nothing can be lost by keeping it; it then has a stamp older than the
// source's, so the next run copies the file again.
void RefuseChangedCopyOverPrevious(SourceFile& source, const std::string& sourcePath, const PartFile& copy)
{
    const auto now = platform::StatusOfOpenFile(source.file.get());
    if (now && (!ChangedSinceOpened(source, *now) || OnlyGrewSinceOpened(source, *now, copy)))
        return;
    if (copy.DestinationExists())
        throw Error(FormatMessage("File %s changed while it was being copied", sourcePath));
    MarkAsOlderThanSource(source, now);
}

[[noreturn]] void ThrowWriteFailure(const platform::BlockCopy& blocks, const FileToCopy& file)
{
    const std::string message = FormatMessage("Unable to write to %s", file.destinationPath);
    if (blocks.failure() == platform::BlockCopy::Failure::NoRoom)
        throw DestinationFull(message);
    throw Error(message);
}

// The length when opened: what is added since is left for the next run, since copying on after a file that
// is still being written could never end. Every block but the last is whole, and a file whose length is a
// multiple of the block ends with an empty one, each after its pump. False where the user stopped the run.
bool CopyEveryBlock(RunContext& ctx, const FileToCopy& file, const SourceFile& source, const PartFile& copy,
                    WriteBehind& writeBehind)
{
    platform::BlockCopy blocks(source.file.get(), copy.fd(), source.info, CopyBlockSize);
    off_t copied = 0;
    for (;;) {
        ctx.View.PumpMessages();
        const size_t wanted = static_cast<size_t>(std::min<off_t>(CopyBlockSize, source.info.size - copied));
        const ssize_t got = blocks.Copy(copied, wanted);
        if (got < 0 && blocks.failure() == platform::BlockCopy::Failure::Read)
            throw Error(FormatMessage("Cannot read file %s", file.sourcePath));
        if (got < 0)
            ThrowWriteFailure(blocks, file);
        if (ctx.StopRequested)
            return false;
        copied += got;
        writeBehind.Copied(copied);
        if (static_cast<size_t>(got) < wanted || wanted < CopyBlockSize)
            break;
    }
    if (!blocks.Finish(copied))
        ThrowWriteFailure(blocks, file);
    return true;
}

} // namespace

bool NeedsCopy(const FileToCopy& file)
{
    const auto destination = file.destinationFolder.StatusOf(file.destinationName, platform::Links::DoNotFollow);
    if (file.destinationSeen)
        *file.destinationSeen = destination;
    if (!destination || destination->kind != platform::EntryKind::File)
        return true;
    const auto source = file.sourceFolder.StatusOf(file.sourceName, platform::Links::Follow);
    if (!source || source->kind == platform::EntryKind::Folder)
        return true;
    if (source->IsSameFile(*destination))
        return false; // the destination is the source itself, under another spelling
    return source->size != destination->size || !platform::SameStampOrTime(source->modified, destination->modified);
}

void CopyByBlocks(RunContext& ctx, const FileToCopy& file)
{
    ctx.View.SetPanelText(MethodPanel, "1 method");
    if (file.sourcePath == file.destinationPath)
        throw Error(ctx.Text[UiKey::Error1]);
    SourceFile source = OpenSourceToCopy(ctx, file);
    PartFile copy = StartCopy(file, source);
    WriteBehind writeBehind(file, copy.fd());
    if (!CopyEveryBlock(ctx, file, source, copy, writeBehind))
        return; // abandoned: the part file goes with `copy`, the destination stays as it was
    RefuseChangedCopyOverPrevious(source, file.sourcePath, copy);
    PutInPlace(ctx, file, copy, source, [&] { CopyStamp(source, copy); });
}

void CopyByStream(RunContext& ctx, const FileToCopy& file)
{
    const std::string& sourcePath = file.sourcePath;
    const std::string& destinationPath = file.destinationPath;
    ctx.View.SetPanelText(MethodPanel, "2 method");
    SourceFile source = OpenSourceToCopy(ctx, file);
    PartFile copy = StartCopy(file, source);
    WriteBehind writeBehind(file, copy.fd());
    // The length when opened: a file that grows meanwhile is copied as it was then.
    std::vector<char> piece(StreamPieceSize);
    for (off_t left = source.info.size; left > 0;) {
        ctx.View.PumpMessages();
        if (ctx.StopRequested)
            return; // abandoned, as by the block copy
        const size_t wanted = static_cast<size_t>(std::min<off_t>(left, static_cast<off_t>(piece.size())));
        const ssize_t got = platform::ReadFull(source.file.get(), piece.data(), wanted);
        if (got < 0)
            throw Error(FormatMessage("Cannot read file %s", sourcePath));
        if (!platform::WriteAll(copy.fd(), piece.data(), static_cast<size_t>(got)))
            throw Error(FormatMessage("Unable to write to %s", destinationPath));
        if (static_cast<size_t>(got) < wanted)
            break;
        left -= got;
        writeBehind.Copied(source.info.size - left);
    }
    RefuseChangedCopyOverPrevious(source, sourcePath, copy);
    PutInPlace(ctx, file, copy, source, [&] { CopyStamp(source, copy); });
}

void CopyBySystem(RunContext& ctx, const FileToCopy& file)
{
    ctx.View.SetPanelText(MethodPanel, "3 method");
    try {
        SourceFile source = OpenSourceToCopy(ctx, file);
        PartFile copy = StartCopy(file, source);
        WriteBehind writeBehind(file, copy.fd());
        const auto goOn = [&](off_t copied) {
            writeBehind.Copied(copied);
            ctx.View.PumpMessages();
            return !ctx.StopRequested;
        };
        if (!platform::CopyWithKernel(source.file.get(), copy.fd(), source.info.size, goOn)) {
            if (ctx.StopRequested)
                return; // abandoned, as by the block copy
            throw Error("");
        }
        RefuseChangedCopyOverPrevious(source, file.sourcePath, copy);
        // Like the operating system's copy, the modification time is kept exactly, not as a stamp,
        // as it was when opened; as with the other methods, a time that cannot be set does not undo
        // a complete copy.
        PutInPlace(ctx, file, copy, source, [&] { copy.SetTimes(source.info.accessed, source.info.modified); });
    } catch (const SourcePassedOver&) {
        throw;
    } catch (const SourceRefused&) {
        throw;
    } catch (const std::exception&) {
        throw Error("");
    }
}
