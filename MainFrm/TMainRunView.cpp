// How a run shows itself in the main window: the status bar panels, the gauge, the run button,
// and the events handled while it goes on.
#include "MainFrm/TMain.h"
#include "platform/CoarseClock.h"
#include "widgets/WidgetText.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

namespace {

// The window is repainted at most this often while a run sets the panels once per file: thirty times a
// second, as often as a changing path can be taken in, and half the painting of sixty.
constexpr int64_t PaintIntervalMs = 33;
// Pending events are handled at most this often, which keeps a click answered well within a
// blink while a run over many small files does not spend its time asking for events: each look
// costs the event loop a poll and a wake-up of its own, a dozen times the system calls of a file
// that needs no copy.
constexpr int64_t PumpIntervalMs = 10;

} // namespace

void TMain::SetPanelText(int panel, std::string_view text)
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
    m_lastPaintMs = platform::CoarseMonotonicMs();
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
    // One look at the coarse clock for both intervals: this is called for every file and every block of a
    // run, and a tick's step does not matter against them.
    const int64_t now = platform::CoarseMonotonicMs();
    if (now - m_lastPaintMs >= PaintIntervalMs)
        flushPanels();
    if (now - m_lastPumpMs < PumpIntervalMs)
        return;
    QApplication::processEvents(QEventLoop::AllEvents);
    m_lastPumpMs = platform::CoarseMonotonicMs();
}

void TMain::ReportError(const std::string& message)
{
    m_dialogs.ShowError(message);
}
