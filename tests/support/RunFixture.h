#pragma once

#include "FakeRunView.h"
#include "TempFolder.h"
#include "engine/FileTable.h"
#include "engine/RunContext.h"
#include "localisation/UiText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

inline constexpr std::time_t SourceTime = 1783851303; // 2026-07-12 10:15:03 UTC, an odd second

// The fields of the main window that one run works on, with an exe folder for the log.
struct RunHarness {
    RunHarness();
    explicit RunHarness(const std::string& exeFolder); // empty: a temporary one of its own

    FileTable files;
    int32_t fileCount = 0;
    bool stopRequested = false;
    int16_t lastRunFailed = -1;
    UiText text = UiText::BuiltIn();
    FakeRunView view;
    RunContext ctx{files, fileCount, stopRequested, lastRunFailed, text, view, false, {}, {}};
    std::optional<TempFolder> ownExeFolder;
    std::string exeFolder; // with a trailing "/"

    void Run(const std::string& source, const std::string& destinationRoot);
    // The lines of Error.log; none when there is no log.
    std::vector<std::string> LogLines() const;
    // The end-of-run steps were taken: panels 1 and 3 empty, gauge hidden, the Run button back.
    testing::AssertionResult Idle() const;
};

void WriteWithTime(const std::string& path, const std::string& bytes, std::time_t time = SourceTime);
void SetModificationTime(const std::string& path, std::time_t time);
bool Exists(const std::string& path); // anything at the path, links not followed
// Bytes whose value depends on their position and the seed, so a shifted, repeated or mixed block shows.
std::string PatternBytes(size_t size, unsigned seed = 1);
