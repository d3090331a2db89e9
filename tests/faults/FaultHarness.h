#pragma once

#include "ImmutableFlag.h"
#include "RunFixture.h"
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

using FaultView = FakeRunView;

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
    RunContext ctx { files, fileCount, stopRequested, lastRunFailed, text, view, false, {}, {} };
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

void AppendBytes(const std::string& path, const std::string& bytes);
// Part files of unfinished copies anywhere below folder.
std::vector<std::string> PartFilesBelow(const std::string& folder);
// Every entry below folder, folders included, as paths relative to it.
std::vector<std::string> EntriesBelow(const std::string& folder);
ino_t InodeOf(const std::string& path);
// The whole content of a file, read in large pieces (large files are compared in these tests).
std::string ContentOf(const std::string& path);
// A file of size bytes whose every MiB has its own pattern, written a piece at a time.
void WriteLargeFile(const std::string& path, size_t size, unsigned seed, std::time_t time);

using Immutable = ImmutableFlag;

inline constexpr const char* NeedsRoot = "needs root, to mount, to freeze files and to switch users";
inline constexpr const char* TmpfsRefused = "the machine refuses to mount a tmpfs here";
inline constexpr const char* ImmutableRefused = "the file system refuses the immutable flag (chattr +i) here";
