#pragma once

#include <string>

// What a run shows on the main window and how it lets the window breathe.
class RunView {
public:
    virtual ~RunView() = default;
    virtual void SetPanelText(int panel, const std::string& text) = 0; // status bar panels 0 to 3
    virtual void ShowGauge(int maximum) = 0;                           // GroupBox1 shown, Gauge1 at 0
    virtual void SetGaugePosition(int position) = 0;
    virtual void HideGauge() = 0;
    virtual void SetRunButton(const std::string& caption, int image) = 0; // ToolButton12
    virtual void PumpMessages() = 0;
    // A failure that ended the run and that the user must hear of once (the log cannot be written).
    virtual void ReportError(const std::string& message) = 0;
};
