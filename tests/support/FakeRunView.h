#pragma once

#include "engine/RunView.h"

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// A main window as a run sees it, recording what the run shows. onPump runs inside every pump, where
// a click, a timer or another program could act in the middle of a run.
class FakeRunView : public RunView {
public:
    void SetPanelText(int panel, std::string_view text) override
    {
        panels.at(static_cast<size_t>(panel)) = text;
        panelTexts.emplace_back(panel, text);
        if (panel == MethodPanel && !text.empty())
            methodLabels.emplace_back(text);
    }
    void ShowGauge(int maximum) override
    {
        gaugeVisible = true;
        gaugeMaximum = maximum;
        SetGaugePosition(0);
    }
    void SetGaugePosition(int position) override
    {
        gaugePosition = position;
        gaugePositions.push_back(position);
    }
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
    std::vector<std::pair<int, std::string>> panelTexts; // every text given to a panel, in order
    std::vector<std::string> methodLabels; // every label given to the method panel, in order, blanks left out
    bool gaugeVisible = false;
    int gaugeMaximum = -1;
    int gaugePosition = -1; // the file being handled, counted from 1; -1 before the gauge shows
    std::vector<int> gaugePositions;
    std::string buttonCaption;
    int buttonImage = StopImage; // a run is started with the Stop button showing
    int pumps = 0;
    std::vector<std::string> reportedErrors;
    std::function<void()> onPump;
};
