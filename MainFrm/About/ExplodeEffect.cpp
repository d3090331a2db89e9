#include "MainFrm/About/ExplodeEffect.h"

#include "MainFrm/About/ExplodeOverlay.h"
#include "MainFrm/About/ExplodePath.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <thread>

namespace {

// Under Wayland a program may neither place a window at a screen position nor know where the
// pointer is, so the outlines could not be put where they belong.
bool ScreenPositionsCanBeDrawnAt()
{
    return !QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

QRect BoundsOf(const std::vector<QRect>& outlines)
{
    QRect bounds;
    for (const QRect& outline : outlines)
        bounds = bounds.united(outline);
    return bounds;
}

void DrawOutlines(ExplodeOverlay& overlay, const std::vector<QRect>& outlines)
{
    for (const QRect& outline : outlines) {
        std::this_thread::sleep_for(ExplodeStepPause);
        overlay.ToggleOutline(outline);
        // The window system needs its events handled to put each outline on the screen. Input waits
        // for the dialog; timers run on, as they do while the dialog is open.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

} // namespace

void PlayExplodeEffect(QPoint pointer, const QRect& frame)
{
    if (!ScreenPositionsCanBeDrawnAt())
        return;
    const std::vector<QRect> outlines = ExplodeOutlines(pointer, frame);
    ExplodeOverlay overlay(BoundsOf(outlines));
    DrawOutlines(overlay, outlines);
    // Drawing every outline a second time toggles each pixel back.
    DrawOutlines(overlay, outlines);
}
