// The copy run as the main window starts it and shows it.
#include "MainFrm/TMain.h"
#include "widgets/WidgetText.h"

#include "engine/CopyRun.h"
#include "engine/Scan.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QToolButton>

namespace {

// The window is repainted at most this often while a run sets the panels once per file.
constexpr qint64 PaintIntervalMs = 16;
// Pending events are handled at most this often, which keeps a click answered well within a
// blink while a run over many small files does not spend its time asking for events.
constexpr qint64 PumpIntervalMs = 2;

// Marks a run in progress for as long as it lives, whatever way the run ends.
class RunInProgressMark {
public:
    explicit RunInProgressMark(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RunInProgressMark() { m_flag = false; }
    RunInProgressMark(const RunInProgressMark&) = delete;
    RunInProgressMark& operator=(const RunInProgressMark&) = delete;

private:
    bool& m_flag;
};

} // namespace

void TMain::ScanFolder(const std::string& folder, const std::string& mask, bool recurse)
{
    RunContext context{FileTable, FileCount, StopRequested, LastRunFailed, UiText, *this, false, std::string()};
    ::ScanFolder(context, folder, mask, recurse);
    flushPanels();
}

void TMain::RunBackup(const std::string& source, const std::string& destinationRoot)
{
    RunContext context{FileTable, FileCount, StopRequested, LastRunFailed, UiText, *this, false, std::string()};
    ::RunBackup(context, source, destinationRoot);
    flushPanels();
}

void TMain::ToolButton12Click(QObject*)
{
    if (m_runButtonImage == 4) {
        StopRequested = true;
        return;
    }
    StopRequested = false;
    const auto selected = ListView1->selectedItems();
    if (selected.isEmpty()) {
        m_dialogs.ShowMessage(UiText[UiKey::MNochoice]);
        return;
    }
    const int row = ListView1->row(selected.front());
    if (row >= ProfileCount)
        return; // the list mirrors the table; a row past it has no profile to run
    SetRunButton(UiText[UiKey::Mstop], 4);
    const Profile& profile = ProfileTable[row + 1];
    SetPanelText(2, profile.Name.ToText());
    const uint64_t generation = m_profileGeneration;
    {
        RunInProgressMark mark(m_runInProgress);
        RunBackup(profile.Source.ToText(), profile.Destination.ToText());
    }
    // After a reload the item at this row may stand for another profile, or be gone.
    if (generation == m_profileGeneration)
        setItemImage(row, LastRunFailed);
    SetPanelText(2, std::string());
    SetPanelText(3, std::string());
    flushPanels();
}

void TMain::RunScheduledProfile(int32_t n)
{
    StopRequested = false;
    SetRunButton(UiText[UiKey::Mstop], 4);
    SetPanelText(2, ProfileTable[n].Name.ToText());
    const std::string source = ProfileTable[n].Source.ToText();
    const std::string destination = ProfileTable[n].Destination.ToText();
    const uint64_t generation = m_profileGeneration;
    {
        RunInProgressMark mark(m_runInProgress);
        RunBackup(source, destination);
    }
    if (generation == m_profileGeneration)
        setItemImage(n - 1, LastRunFailed);
    SetPanelText(2, std::string());
    SetPanelText(3, std::string());
    flushPanels();
}

// --- RunView ----------------------------------------------------------------------------------

void TMain::SetPanelText(int panel, const std::string& text)
{
    if (panel < 0 || panel >= static_cast<int>(StatusBar1.size()))
        return;
    m_pendingPanels[static_cast<size_t>(panel)] = text;
    m_panelDirty[static_cast<size_t>(panel)] = true;
}

void TMain::flushPanels()
{
    for (size_t i = 0; i < StatusBar1.size(); ++i) {
        if (!m_panelDirty[i])
            continue;
        const std::string& text = m_pendingPanels[i];
        StatusBar1[i]->setText(WidgetText(text));
        m_panelDirty[i] = false;
    }
    if (m_pendingGaugePosition >= 0) {
        Gauge1->setValue(m_pendingGaugePosition);
        m_pendingGaugePosition = -1;
    }
    m_sinceLastPaint.start();
}

void TMain::ShowGauge(int maximum)
{
    Gauge1->setRange(0, maximum > 0 ? maximum : 1);
    Gauge1->setValue(0);
    m_pendingGaugePosition = -1;
    // The toolbar lays itself out later; the box is shown now, so that the gauge moves at once.
    m_gaugeAction->setVisible(true);
    GroupBox1->show();
}

// The position is kept and drawn with the panels: a progress bar costs thousands of instructions
// per call even when its picture does not change.
void TMain::SetGaugePosition(int position)
{
    m_pendingGaugePosition = position;
}

void TMain::HideGauge()
{
    flushPanels();
    m_gaugeAction->setVisible(false);
    GroupBox1->hide();
}

void TMain::SetRunButton(const std::string& caption, int image)
{
    ToolButton12->setText(WidgetText(caption));
    if (image >= 0 && image < m_toolbarPictures.size())
        ToolButton12->setIcon(m_toolbarPictures[image]);
    m_runButtonImage = image;
}

void TMain::PumpMessages()
{
    if (!m_sinceLastPaint.isValid() || m_sinceLastPaint.elapsed() >= PaintIntervalMs)
        flushPanels();
    if (m_sinceLastPump.isValid() && m_sinceLastPump.elapsed() < PumpIntervalMs)
        return;
    QApplication::processEvents(QEventLoop::AllEvents);
    m_sinceLastPump.start();
}

void TMain::ReportError(const std::string& message)
{
    m_dialogs.ShowError(message);
}
