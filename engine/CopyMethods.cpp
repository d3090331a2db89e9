#include "engine/CopyMethods.h"

#include "engine/DestinationFolders.h"
#include "engine/PartFile.h"
#include "platform/BlockCopy.h"
#include "platform/DosStamp.h"
#include "platform/Error.h"
#include "platform/FileContent.h"
#include "platform/FileDescriptor.h"
#include "platform/VirtualFileSystem.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>
#include <vector>

using platform::FileDescriptor;

namespace {

constexpr int MethodPanel = 3;
constexpr size_t StreamPieceSize = size_t{1} << 18;

struct SourceFile {
    FileDescriptor folder; // looked in for a free part-file name
    FileDescriptor file;
    struct stat info {};
    FileDescriptor destinationFolder; // the folder the copy is made in, opened by its path
};

// Only regular files are read, and only for reading: opening a source for writing would tell every
// watcher of the file (sync clients, indexers, build tools) that it was written. O_NONBLOCK keeps the
// open itself from hanging on a fifo that took a file's place since the scan; it changes nothing for a
// regular file. The file is opened in its folder, which the part file's name is then chosen against
// without walking the source's whole path again.
SourceFile OpenSource(const std::string& path)
{
    SourceFile source;
    source.folder = OpenFolderOf(path);
    source.file = FileDescriptor(
        ::openat(source.folder.get(), NameOf(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!source.file.valid() || ::fstat(source.file.get(), &source.info) != 0 || !S_ISREG(source.info.st_mode))
        throw Error(FormatMessage("Cannot open file %s", path));
    // Asked of the open file, since the scan saw only the name: a link can lead there, or be made to.
    if (platform::IsOnVirtualFileSystem(source.file.get()))
        throw SourcePassedOver(path);
    return source;
}

bool IsSameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Two spellings can name one file ("//home/a" below a destination root of "/", a second hard link, a
// folder mounted twice): a copy made beside it and renamed over it would replace the source itself.
// Links are followed, since a link at the destination that leads to the source is the source too. A
// folder that cannot be opened holds no destination, and no copy can be made in it either.
void RefuseCopyOntoItself(const RunContext& ctx, const SourceFile& source, const std::string& destinationPath)
{
    struct stat destination {};
    if (source.destinationFolder.valid()
        && ::fstatat(source.destinationFolder.get(), NameOf(destinationPath).c_str(), &destination, 0) == 0
        && IsSameFile(source.info, destination))
        throw Error(ctx.Text[UiKey::Error1]);
}

SourceFile OpenSourceToCopy(const RunContext& ctx, const std::string& sourcePath, const std::string& destinationPath)
{
    SourceFile source = OpenSource(sourcePath);
    source.destinationFolder = OpenFolderOf(destinationPath);
    RefuseCopyOntoItself(ctx, source, destinationPath);
    return source;
}

// The copy in the making, in the folder that was checked.
PartFile StartCopy(SourceFile& source, const std::string& destinationPath)
{
    return PartFile(std::move(source.destinationFolder), source.folder.get(), destinationPath);
}

// The source's stamp as it was when the source was opened, on the open copy: a file changed while
// it was being copied then differs from its copy, and the next run copies it again. A time that has
// no stamp is copied whole, so that the copy compares equal to it. A stamp that cannot be set
// leaves the copy with the time of copying, which also only means another copy.
void CopyStamp(const SourceFile& source, const PartFile& copy)
{
    platform::SetStampOrTimeOfOpenFile(copy.fd(), source.info.st_mtim);
}

bool ChangedSinceOpened(const SourceFile& source, const struct stat& now)
{
    return now.st_size != source.info.st_size || now.st_mtim.tv_sec != source.info.st_mtim.tv_sec
        || now.st_mtim.tv_nsec != source.info.st_mtim.tv_nsec;
}

// Whether the source still begins with what the copy holds, over the source's length when it was opened.
bool CopyIsLeadOfSource(const SourceFile& source, const PartFile& copy)
{
    std::vector<char> ours(CopyBlockSize);
    std::vector<char> theirs(CopyBlockSize);
    for (off_t at = 0; at < source.info.st_size;) {
        const size_t wanted = static_cast<size_t>(std::min<off_t>(source.info.st_size - at, CopyBlockSize));
        if (::pread(copy.fd(), ours.data(), wanted, at) != static_cast<ssize_t>(wanted)
            || ::pread(source.file.get(), theirs.data(), wanted, at) != static_cast<ssize_t>(wanted)
            || std::memcmp(ours.data(), theirs.data(), wanted) != 0)
            return false;
        at += static_cast<off_t>(wanted);
    }
    return true;
}

// A source that only grew while it was read (an appended log or mailbox) still begins with what was
// copied: the copy is good, of the length the file had when opened and with its stamp of then, so the
// next run takes the rest. Without this such a file would fail at every run and keep its old copy.
bool OnlyGrewSinceOpened(const SourceFile& source, const struct stat& now, const PartFile& copy)
{
    return now.st_size > source.info.st_size && CopyIsLeadOfSource(source, copy);
}

// A source written to while it was read can leave a copy that mixes old and new content. Such a copy never
// takes the place of a previous copy: the method fails, and the next one copies the file as it is now.
// Where there is no copy yet nothing can be lost by keeping it; it then has the stamp the source had when
// opened, so the next run copies the file again.
void RefuseChangedCopyOverPrevious(const SourceFile& source, const std::string& sourcePath, const PartFile& copy)
{
    struct stat now {};
    const bool known = ::fstat(source.file.get(), &now) == 0;
    if (known && (!ChangedSinceOpened(source, now) || OnlyGrewSinceOpened(source, now, copy)))
        return;
    if (copy.DestinationExists())
        throw Error(FormatMessage("File %s changed while it was being copied", sourcePath));
}

} // namespace

bool NeedsCopy(const std::string& sourcePath, const std::string& destinationPath)
{
    return NeedsCopy(FileAt{AT_FDCWD, sourcePath.c_str()}, FileAt{AT_FDCWD, destinationPath.c_str()});
}

bool NeedsCopy(FileAt sourceFile, FileAt destinationFile)
{
    struct stat destination {};
    struct stat source {};
    if (::fstatat(destinationFile.folder, destinationFile.name, &destination, 0) != 0 || S_ISDIR(destination.st_mode)
        || ::fstatat(sourceFile.folder, sourceFile.name, &source, 0) != 0 || S_ISDIR(source.st_mode))
        return true;
    if (IsSameFile(source, destination))
        return false; // the destination is the source itself, under another spelling
    return !platform::SameStampOrTime(source.st_mtim, destination.st_mtim);
}

void CopyByBlocks(RunContext& ctx, const std::string& sourcePath, const std::string& destinationPath)
{
    ctx.View.SetPanelText(MethodPanel, "1 method");
    if (sourcePath == destinationPath)
        throw Error(ctx.Text[UiKey::Error1]);
    SourceFile source = OpenSourceToCopy(ctx, sourcePath, destinationPath);
    PartFile copy = StartCopy(source, destinationPath);
    platform::BlockCopy blocks(source.file.get(), copy.fd(), source.info, CopyBlockSize);
    // The length when opened: what is added since is left for the next run, since copying on after a file
    // that is still being written could never end. Every block but the last is whole, and a file whose
    // length is a multiple of the block ends with an empty one, each after its pump.
    off_t copied = 0;
    for (;;) {
        ctx.View.PumpMessages();
        const size_t wanted = static_cast<size_t>(std::min<off_t>(CopyBlockSize, source.info.st_size - copied));
        const ssize_t got = blocks.Copy(copied, wanted);
        if (got < 0 && blocks.failure() == platform::BlockCopy::Failure::Read)
            throw Error(FormatMessage("Cannot read file %s", sourcePath));
        if (got < 0)
            throw Error(FormatMessage("Unable to write to %s", destinationPath));
        if (ctx.StopRequested)
            return; // abandoned: the part file goes with `copy`, the destination stays as it was
        copied += got;
        if (static_cast<size_t>(got) < wanted || wanted < CopyBlockSize)
            break;
    }
    if (!blocks.Finish(copied))
        throw Error(FormatMessage("Unable to write to %s", destinationPath));
    RefuseChangedCopyOverPrevious(source, sourcePath, copy);
    CopyStamp(source, copy);
    copy.ReplaceDestination(CopyPermissionsFrom(source.info.st_mode));
}

void CopyByStream(RunContext& ctx, const std::string& sourcePath, const std::string& destinationPath)
{
    ctx.View.SetPanelText(MethodPanel, "2 method");
    SourceFile source = OpenSourceToCopy(ctx, sourcePath, destinationPath);
    PartFile copy = StartCopy(source, destinationPath);
    // The length when opened: a file that grows meanwhile is copied as it was then.
    std::vector<char> piece(StreamPieceSize);
    for (off_t left = source.info.st_size; left > 0;) {
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
    }
    RefuseChangedCopyOverPrevious(source, sourcePath, copy);
    CopyStamp(source, copy);
    copy.ReplaceDestination(CopyPermissionsFrom(source.info.st_mode));
}

void CopyBySystem(RunContext& ctx, const std::string& sourcePath, const std::string& destinationPath)
{
    ctx.View.SetPanelText(MethodPanel, "3 method");
    try {
        SourceFile source = OpenSourceToCopy(ctx, sourcePath, destinationPath);
        PartFile copy = StartCopy(source, destinationPath);
        if (!platform::CopyWithKernel(source.file.get(), copy.fd(), source.info.st_size))
            throw Error("");
        RefuseChangedCopyOverPrevious(source, sourcePath, copy);
        // Like the operating system's copy, the modification time is kept exactly, not as a stamp,
        // as it was when opened; as with the other methods, a time that cannot be set does not undo
        // a complete copy.
        const struct timespec times[2] = {{0, UTIME_OMIT}, source.info.st_mtim};
        ::futimens(copy.fd(), times);
        copy.ReplaceDestination(CopyPermissionsFrom(source.info.st_mode));
    } catch (const SourcePassedOver&) {
        throw;
    } catch (const std::exception&) {
        throw Error("");
    }
}
