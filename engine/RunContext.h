#pragma once

#include "engine/FileTable.h"
#include "engine/RunView.h"
#include "localisation/UiText.h"
#include "platform/VirtualFileSystem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>

// What made a run fail, so the user can be told in a few words; the error log has the details.
struct RunFailures {
    int32_t filesNotCopied = 0;   // every method failed, or the file was refused
    int32_t foldersNotRead = 0;   // the source folder or a folder below it cannot be listed
    bool destinationMissing = false; // the drive or disk of the destination is not there
    bool aborted = false;         // the run ended early: the log cannot be written, too many files, ...

    bool Any() const { return filesNotCopied > 0 || foldersNotRead > 0 || destinationMissing || aborted; }
};

// The fields of the main window that a run reads and writes, by reference, so that a Stop click
// handled inside a pump is seen at the next check.
struct RunContext {
    FileTable& Files;
    int32_t& FileCount;
    const bool& StopRequested;
    int16_t& LastRunFailed;
    const UiText& Text;
    RunView& View;

    // Set by the scan when the tree held more files than the table; the run is then failed.
    bool TableOverflowed = false;
    // A folder the scan never enters: the run's own destination root when it lies in the source.
    std::string ExcludedFolder;
    // Filled as LastRunFailed is set; emptied at the start of every run.
    RunFailures Failures;
    // Which devices of the sources are the kernel's virtual file systems; emptied at the start of every run.
    platform::VirtualFileSystemDevices VirtualDevices{};
    // The user the run runs as, asked once; emptied at the start of every run.
    std::optional<uid_t> User{};
};
