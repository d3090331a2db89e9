#include "MainFrm/About/ExplodeEffect.h"

#include "MainFrm/About/ExplodeOverlay.h"
#include "MainFrm/About/ExplodePath.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

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

struct Drawing {
    std::vector<QRect> outlines;
    std::unique_ptr<ExplodeOverlay> overlay;
    QElapsedTimer clock;
    size_t drawn = 0;

    // The outlines whose pause is over: a timer ticks only as often as the event loop comes round, and the
    // screen shows what was drawn only at its next update anyway.
    size_t Due() const
    {
        const auto paused = static_cast<size_t>(clock.elapsed() / ExplodeStepPause.count());
        return std::min(paused, 2 * outlines.size());
    }
};

} // namespace

void PlayExplodeEffect(QPoint pointer, const QRect& frame, QObject* context, std::function<void()> then)
{
    auto drawing = std::make_shared<Drawing>();
    if (ScreenPositionsCanBeDrawnAt())
        drawing->outlines = ExplodeOutlines(pointer, frame);
    if (drawing->outlines.empty()) {
        then();
        return;
    }
    drawing->overlay = std::make_unique<ExplodeOverlay>(BoundsOf(drawing->outlines));
    // Owned by context: should it go first, the timer, the drawing and its overlay go with it.
    auto* steps = new QTimer(context);
    steps->setTimerType(Qt::PreciseTimer);
    steps->setInterval(ExplodeStepPause);
    QObject::connect(steps, &QTimer::timeout, steps, [steps, drawing, then = std::move(then)] {
        // Drawing every outline a second time toggles each pixel back.
        for (const size_t due = drawing->Due(); drawing->drawn < due; ++drawing->drawn)
            drawing->overlay->ToggleOutline(drawing->outlines[drawing->drawn % drawing->outlines.size()]);
        if (drawing->drawn < 2 * drawing->outlines.size())
            return;
        steps->stop();
        drawing->overlay.reset();
        steps->deleteLater();
        then();
    });
    drawing->clock.start();
    steps->start();
}
