#pragma once

#include "ImmutableFlag.h"
#include "RunFixture.h"
#include "TempFolder.h"
#include "engine/FileTable.h"
#include "engine/RunContext.h"
#include "engine/RunView.h"
#include "localisation/UiText.h"

#include <array>
#include <ctime>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

inline constexpr std::time_t EarlierTime = 1700000000;

// The fields of a main window that one run works on, with the log in an exe folder of its own.
struct RunHarness {
    RunHarness();

    FileTable files;
    int32_t fileCount = 0;
    bool stopRequested = false;
    int16_t lastRunFailed = -1;
    UiText text = UiText::BuiltIn();
    FakeRunView view;
    RunContext ctx{files, fileCount, stopRequested, lastRunFailed, text, view, false, {}, {}};
    TempFolder exeFolder;

    // The lines of Error.log; none when there is no log.
    std::vector<std::string> LogLines() const;
    // The end-of-run steps were taken: panels 1 and 3 empty, gauge hidden, the Run button back.
    void ExpectIdle() const;
};

// What tells whether a file was rewritten or replaced: a new inode or a new change time.
struct FileIdentity {
    ino_t inode = 0;
    timespec changed{};
    timespec modified{};
    bool operator==(const FileIdentity& other) const;
};
FileIdentity IdentityOf(const std::string& path);

mode_t PermissionsOf(const std::string& path);
// Names in folder that are part files of an unfinished copy.
std::vector<std::string> PartFilesIn(const std::string& folder);

using SmallDisk = TmpfsMount;
