#pragma once

#include "engine/FileTable.h"
#include "engine/RunView.h"
#include "localisation/UiText.h"

#include <cstdint>
#include <string>

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
};
