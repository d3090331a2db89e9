#pragma once

#include "engine/RunView.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

// A RunView that remembers what the run showed, and lets a test act inside the message pump (where a Stop click
// would be handled).
class RecordingRunView : public RunView {
public:
    void SetPanelText(int panel, const std::string& text) override { panelTexts.emplace_back(panel, text); }
    void ShowGauge(int) override {}
    void SetGaugePosition(int) override {}
    void HideGauge() override {}
    void SetRunButton(const std::string&, int) override {}
    void PumpMessages() override
    {
        ++pumps;
        if (onPump)
            onPump(pumps);
    }
    void ReportError(const std::string& message) override { reportedErrors.push_back(message); }

    std::vector<std::pair<int, std::string>> panelTexts;
    std::vector<std::string> reportedErrors;
    int pumps = 0;
    std::function<void(int pumpsSoFar)> onPump;
};
