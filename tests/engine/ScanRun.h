#pragma once

#include "FakeRunView.h"
#include "engine/RunContext.h"
#include "engine/Scan.h"

#include <string>
#include <vector>

// The fields of the main window that one scan works on, owned by the test.
struct ScanRun {
    FileTable files;
    int32_t fileCount = 0;
    bool stopRequested = false;
    int16_t lastRunFailed = 0;
    UiText text = UiText::BuiltIn();
    FakeRunView view;
    RunContext ctx{files, fileCount, stopRequested, lastRunFailed, text, view, false, {}, {}};

    std::vector<std::string> Scan(const std::string& folder, const std::string& mask = "*.*", bool recurse = true)
    {
        ScanFolder(ctx, folder, mask, recurse);
        return Collected();
    }

    std::vector<std::string> Collected() const
    {
        std::vector<std::string> paths;
        for (int32_t n = 1; n <= fileCount; ++n)
            paths.emplace_back(files[n]);
        return paths;
    }
};
