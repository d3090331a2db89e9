#pragma once

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

inline constexpr std::time_t SourceTime = 1783851303; // 2026-07-12 10:15:03 UTC, an odd second
inline constexpr std::time_t EarlierTime = 1700000000;

// A main window as the run sees it, recording what the run shows.
class FakeRunView : public RunView {
public:
    void SetPanelText(int panel, const std::string& text) override
    {
        panels.at(static_cast<size_t>(panel)) = text;
        if (panel == 3 && !text.empty())
            methodLabels.push_back(text);
    }
    void ShowGauge(int maximum) override
    {
        gaugeVisible = true;
        gaugeMaximum = maximum;
        gaugePositions.push_back(0);
    }
    void SetGaugePosition(int position) override { gaugePositions.push_back(position); }
    void HideGauge() override { gaugeVisible = false; }
    void SetRunButton(const std::string& caption, int image) override
    {
        buttonCaption = caption;
        buttonImage = image;
    }
    void PumpMessages() override
    {
        ++pumps;
        if (onPump)
            onPump();
    }
    void ReportError(const std::string& message) override { reportedErrors.push_back(message); }

    std::array<std::string, 4> panels;
    std::vector<std::string> methodLabels; // every label given to panel 3, in order, blanks left out
    bool gaugeVisible = false;
    int gaugeMaximum = -1;
    std::vector<int> gaugePositions;
    std::string buttonCaption;
    int buttonImage = 4; // a run is started with the Stop button showing
    int pumps = 0;
    std::vector<std::string> reportedErrors;
    std::function<void()> onPump; // runs inside every pump, as a click handled there would
};

// The fields of a main window that one run works on, with the log in an exe folder of its own.
struct RunHarness {
    RunHarness();

    FileTable files;
    int32_t fileCount = 0;
    bool stopRequested = false;
    int16_t lastRunFailed = -1;
    UiText text = UiText::BuiltIn();
    FakeRunView view;
    RunContext ctx{files, fileCount, stopRequested, lastRunFailed, text, view, false, {}};
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

void WriteWithTime(const std::string& path, const std::string& bytes, std::time_t time = SourceTime);
void SetModificationTime(const std::string& path, std::time_t time);
mode_t PermissionsOf(const std::string& path);
bool Exists(const std::string& path);
// Names in folder that are part files of an unfinished copy.
std::vector<std::string> PartFilesIn(const std::string& folder);
// Bytes whose value depends on their position, so a shifted or repeated block shows.
std::string PatternBytes(size_t size, unsigned seed = 1);

// Makes a file or folder immutable (chattr +i) for as long as it lives; nothing when the file
// system refuses, which applied() tells.
class ImmutableFlag {
public:
    explicit ImmutableFlag(std::string path);
    ~ImmutableFlag();
    ImmutableFlag(const ImmutableFlag&) = delete;
    ImmutableFlag& operator=(const ImmutableFlag&) = delete;
    bool applied() const { return m_applied; }

private:
    bool SetImmutable(bool on);
    std::string m_path;
    bool m_applied = false;
};

// A small tmpfs mounted on folder (created) for as long as it lives; mounted() says whether the
// machine allowed it.
class SmallDisk {
public:
    SmallDisk(std::string folder, const std::string& size);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return m_mounted; }

private:
    std::string m_folder;
    bool m_mounted = false;
};
