#include "FaultHarness.h"

#include "engine/CopyRun.h"
#include "engine/PartFile.h"
#include "platform/ExeFolder.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/fs.h>
#include <regex>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

void FaultView::SetPanelText(int panel, const std::string& text)
{
    panels.at(static_cast<size_t>(panel)) = text;
    if (panel == 3 && !text.empty())
        methodLabels.push_back(text);
}

void FaultView::ShowGauge(int)
{
    gaugeVisible = true;
    gaugePosition = 0;
}

void FaultView::SetRunButton(const std::string& caption, int image)
{
    buttonCaption = caption;
    buttonImage = image;
}

void FaultView::PumpMessages()
{
    ++pumps;
    if (onPump)
        onPump();
}

FaultRun::FaultRun()
    : ownExeFolder(std::in_place)
    , exeFolder(ownExeFolder->path())
{
    platform::SetExeFolderForTesting(exeFolder);
}

FaultRun::FaultRun(const std::string& folder)
    : exeFolder(folder.ends_with('/') ? folder : folder + "/")
{
    platform::SetExeFolderForTesting(exeFolder);
}

void FaultRun::Run(const std::string& source, const std::string& destinationRoot)
{
    platform::SetExeFolderForTesting(exeFolder);
    RunBackup(ctx, source, destinationRoot);
}

std::vector<std::string> FaultRun::LogLines() const
{
    const std::string log = exeFolder + "Error.log";
    if (!Exists(log))
        return {};
    return platform::SplitLines(ReadFileBytes(log));
}

bool FaultRun::Idle() const
{
    return view.panels[1].empty() && view.panels[3].empty() && !view.gaugeVisible
        && view.buttonCaption == text[UiKey::Mrun] && view.buttonImage == 3;
}

bool IsEmptyAbortLine(const std::string& line) { return std::regex_match(line, std::regex("[^ ]+( [^ ]+)? ")); }

void WriteWithTime(const std::string& path, const std::string& bytes, std::time_t time)
{
    WriteFileBytes(path, bytes);
    SetModificationTime(path, time);
}

void AppendBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void SetModificationTime(const std::string& path, std::time_t time)
{
    const struct timespec times[2] = { { time, 0 }, { time, 0 } };
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

bool Exists(const std::string& path)
{
    struct stat info { };
    return ::lstat(path.c_str(), &info) == 0;
}

std::string PatternBytes(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

std::vector<std::string> PartFilesBelow(const std::string& folder)
{
    std::vector<std::string> parts;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        if (IsPartFileName(it->path().filename().string()))
            parts.push_back(it->path().string());
    return parts;
}

std::vector<std::string> EntriesBelow(const std::string& folder)
{
    std::vector<std::string> entries;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        entries.push_back(std::filesystem::relative(it->path(), folder).string());
    std::sort(entries.begin(), entries.end());
    return entries;
}

ino_t InodeOf(const std::string& path)
{
    struct stat info { };
    return ::lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

std::string ContentOf(const std::string& path) { return platform::ReadWholeFile(path); }

void WriteLargeFile(const std::string& path, size_t size, unsigned seed, std::time_t time)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    constexpr size_t Piece = size_t { 1 } << 20;
    for (size_t at = 0; at < size; at += Piece) {
        const std::string piece
            = PatternBytes(std::min(Piece, size - at), seed * 100003u + static_cast<unsigned>(at / Piece));
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    }
    out.close();
    SetModificationTime(path, time);
}

TmpfsMount::TmpfsMount(std::string folder, const std::string& size)
    : m_folder(std::move(folder))
{
    MakeFolders(m_folder);
    const std::string options = "size=" + size;
    m_mounted = ::mount("tmpfs", m_folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

TmpfsMount::~TmpfsMount() { Unmount(); }

bool TmpfsMount::Unmount()
{
    if (!m_mounted)
        return false;
    m_mounted = ::umount2(m_folder.c_str(), MNT_DETACH) != 0;
    return !m_mounted;
}

Immutable::Immutable(std::string path)
    : m_path(std::move(path))
{
    m_applied = Set(true);
}

Immutable::~Immutable() { Clear(); }

void Immutable::Clear()
{
    if (m_applied)
        m_applied = !Set(false);
}

bool Immutable::Set(bool on)
{
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}
