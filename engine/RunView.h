#pragma once

#include <string>
#include <string_view>

// The status bar's panels.
inline constexpr int CountPanel = 0;   // how many profiles there are
inline constexpr int PathPanel = 1;    // the file the run is at
inline constexpr int ProfilePanel = 2; // the profile that runs
inline constexpr int MethodPanel = 3;  // the copy method at work

// The pictures of the Run button: Run while idle, Stop while a run goes on.
inline constexpr int RunImage = 3;
inline constexpr int StopImage = 4;

// What a run shows on the main window and how it lets the window breathe.
class RunView {
public:
    virtual ~RunView() = default;
    virtual void SetPanelText(int panel, std::string_view text) = 0; // status bar panels 0 to 3
    virtual void ShowGauge(int maximum) = 0;                           // GroupBox1 shown, Gauge1 at 0
    virtual void SetGaugePosition(int position) = 0;
    virtual void HideGauge() = 0;
    virtual void SetRunButton(const std::string& caption, int image) = 0; // ToolButton12
    virtual void PumpMessages() = 0;
    // A failure that ended the run and that the user must hear of once (the log cannot be written).
    virtual void ReportError(const std::string& message) = 0;
};
