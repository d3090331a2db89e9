#pragma once

#include "TempFolder.h"
#include "engine/FileTable.h"
#include "engine/RunContext.h"
#include "engine/RunView.h"
#include "localisation/UiText.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

inline constexpr std::time_t OldTime = 1700000000; // the stamp of the copies a previous run left
inline constexpr std::time_t SourceTime = 1783851303; // the stamp of the sources now

// A main window as a run sees it. onPump runs inside every pump, where a click, a timer or another program
// could act in the middle of a run.
class FaultView : public RunView {
public:
    void SetPanelText(int panel, const std::string& text) override;
    void ShowGauge(int maximum) override;
    void SetGaugePosition(int position) override { gaugePosition = position; }
    void HideGauge() override { gaugeVisible = false; }
    void SetRunButton(const std::string& caption, int image) override;
    void PumpMessages() override;
    void ReportError(const std::string& message) override { reportedErrors.push_back(message); }

    std::vector<std::string> panels = std::vector<std::string>(4);
    bool gaugeVisible = false;
    int gaugePosition = -1; // the file being handled, counted from 1
    std::string buttonCaption;
    int buttonImage = 4;
    int pumps = 0;
    std::vector<std::string> methodLabels;
    std::vector<std::string> reportedErrors;
    std::function<void()> onPump;
};

// The fields of the main window that one run works on, with an exe folder of its own for the log.
struct FaultRun {
    FaultRun();
    explicit FaultRun(const std::string& exeFolder);

    FileTable files;
    int32_t fileCount = 0;
    bool stopRequested = false;
    int16_t lastRunFailed = -1;
    UiText text = UiText::BuiltIn();
    FaultView view;
    RunContext ctx { files, fileCount, stopRequested, lastRunFailed, text, view, false, {} };
    std::optional<TempFolder> ownExeFolder;
    std::string exeFolder;

    void Run(const std::string& source, const std::string& destinationRoot);
    // The lines of the log; none when there is no log.
    std::vector<std::string> LogLines() const;
    // The window is back to idle: panels 1 and 3 empty, gauge hidden, the Run button back.
    bool Idle() const;
};

// A run abort line with an empty message: the time stamp and one blank, nothing else.
bool IsEmptyAbortLine(const std::string& line);

void WriteWithTime(const std::string& path, const std::string& bytes, std::time_t time = SourceTime);
void AppendBytes(const std::string& path, const std::string& bytes);
void SetModificationTime(const std::string& path, std::time_t time);
bool Exists(const std::string& path);
// Bytes that depend on their position and the seed, so that a shifted, repeated or mixed block shows.
std::string PatternBytes(size_t size, unsigned seed);
// Part files of unfinished copies anywhere below folder.
std::vector<std::string> PartFilesBelow(const std::string& folder);
// Every entry below folder, folders included, as paths relative to it.
std::vector<std::string> EntriesBelow(const std::string& folder);
ino_t InodeOf(const std::string& path);
// The whole content of a file, read in large pieces (large files are compared in these tests).
std::string ContentOf(const std::string& path);
// A file of size bytes whose every MiB has its own pattern, written a piece at a time.
void WriteLargeFile(const std::string& path, size_t size, unsigned seed, std::time_t time);

// A tmpfs of the given size mounted on folder (created) until Unmount() or the end of the guard.
class TmpfsMount {
public:
    TmpfsMount(std::string folder, const std::string& size);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    bool mounted() const { return m_mounted; }
    // Detaches it at once, as "umount -l" does, even while files on it are open.
    bool Unmount();

private:
    std::string m_folder;
    bool m_mounted = false;
};

// Makes a file or folder immutable (chattr +i) until Clear() or the end of the guard; applied() is false
// where the file system refuses.
class Immutable {
public:
    explicit Immutable(std::string path);
    ~Immutable();
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
    bool applied() const { return m_applied; }
    void Clear();

private:
    bool Set(bool on);
    std::string m_path;
    bool m_applied = false;
};

inline constexpr const char* NeedsRoot = "needs root, to mount, to freeze files and to switch users";
inline constexpr const char* TmpfsRefused = "the machine refuses to mount a tmpfs here";
inline constexpr const char* ImmutableRefused = "the file system refuses the immutable flag (chattr +i) here";
