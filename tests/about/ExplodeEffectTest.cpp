#include "MainFrm/About/ExplodeEffect.h"
#include "MainFrm/About/ExplodeOverlay.h"
#include "MainFrm/About/ExplodePath.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

bool AnOverlayIsAlive()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (dynamic_cast<ExplodeOverlay*>(window))
            return true;
    return false;
}

QRegion Ring(const QRect& outline)
{
    return QRegion(outline).subtracted(QRegion(outline.adjusted(1, 1, -1, -1)));
}

} // namespace

TEST(ExplodeOutlines, StartAtThePointerTurnBelowTheFrameAndEndOnIt)
{
    const QPoint pointer(700, 500);
    const QRect frame(180, 150, 440, 300);
    const std::vector<QRect> outlines = ExplodeOutlines(pointer, frame);
    // The outline at the pointer, 40 steps to the turning point, 40 steps onto the frame.
    ASSERT_EQ(outlines.size(), 81u);
    EXPECT_EQ(outlines.front(), QRect(700, 500, 20, 10));
    EXPECT_EQ(ExplodeTurningPoint(pointer, frame), QPoint(440, 450));
    EXPECT_EQ(outlines[40], QRect(440, 450, 20, 10));
    EXPECT_EQ(outlines.back(), frame);
}

TEST(ExplodeOutlines, MoveInFortyEqualSteps)
{
    // Distances that 40 divides, so every step is a whole number of pixels.
    const std::vector<QRect> outlines = ExplodeOutlines(QPoint(0, 0), QRect(800, 100, 220, 710));
    ASSERT_EQ(ExplodeTurningPoint(QPoint(0, 0), QRect(800, 100, 220, 710)), QPoint(400, 810));
    for (int step = 0; step <= 40; ++step)
        EXPECT_EQ(outlines[step], QRect(10 * step, 810 * step / 40, 20, 10)) << step;
    EXPECT_EQ(outlines[40 + 20], QRect(600, 455, 120, 360));
    EXPECT_EQ(outlines[40 + 10], QRect(500, 632, 70, 185));
}

TEST(ExplodeOutlines, TruncateEachStepTowardZero)
{
    // Turning point x = 3: step 13 is at 0.975, step 14 at 1.05.
    std::vector<QRect> outlines = ExplodeOutlines(QPoint(0, 0), QRect(6, 0, 100, 100));
    EXPECT_EQ(outlines[13].x(), 0);
    EXPECT_EQ(outlines[14].x(), 1);
    // Moving left from 10 to 7: step 1 is at 9.925, which truncates to 9, not rounds to 10.
    outlines = ExplodeOutlines(QPoint(10, 0), QRect(4, 0, 100, 100));
    EXPECT_EQ(outlines[1].x(), 9);
}

TEST(ExplodeTurningPoint, RoundsTheHalfwayPointTowardThePointer)
{
    EXPECT_EQ(ExplodeTurningPoint(QPoint(101, 0), QRect(0, 10, 50, 40)), QPoint(51, 50));
    EXPECT_EQ(ExplodeTurningPoint(QPoint(0, 0), QRect(101, 10, 50, 40)), QPoint(50, 50));
    EXPECT_EQ(ExplodeTurningPoint(QPoint(30, 0), QRect(30, 0, 10, 10)), QPoint(30, 10));
}

TEST(ExplodeOutlines, EndExactlyOnFramesOfEverySize)
{
    for (int width = 1; width < 700; width += 37)
        for (int left = -13; left < 900; left += 101) {
            const QRect frame(left, left / 2 + 3, width, width / 3 + 1);
            EXPECT_EQ(ExplodeOutlines(QPoint(517, 263), frame).back(), frame) << left << " " << width;
        }
}

TEST(ExplodeOverlay, ShowsTheOutlinesDrawnAnOddNumberOfTimes)
{
    ExplodeOverlay overlay(QRect(100, 100, 200, 100));
    EXPECT_FALSE(overlay.isVisible());
    overlay.ToggleOutline(QRect(110, 120, 20, 10));
    EXPECT_EQ(overlay.ShownPixels(), Ring(QRect(110, 120, 20, 10)));
    EXPECT_TRUE(overlay.isVisible());
    // Where two outlines cross, the pixels are inverted twice and show as before.
    overlay.ToggleOutline(QRect(120, 115, 20, 10));
    EXPECT_FALSE(overlay.ShownPixels().contains(QPoint(120, 120)));
    EXPECT_FALSE(overlay.ShownPixels().contains(QPoint(129, 124)));
    EXPECT_TRUE(overlay.ShownPixels().contains(QPoint(110, 120)));
    overlay.ToggleOutline(QRect(110, 120, 20, 10));
    overlay.ToggleOutline(QRect(120, 115, 20, 10));
    EXPECT_TRUE(overlay.ShownPixels().isEmpty());
    EXPECT_FALSE(overlay.isVisible());
}

TEST(ExplodeOverlay, IsAClickThroughWindowWithoutFrame)
{
    ExplodeOverlay overlay(QRect(10, 20, 30, 40));
    EXPECT_EQ(overlay.geometry(), QRect(10, 20, 30, 40));
    EXPECT_TRUE(overlay.windowFlags() & Qt::WindowTransparentForInput);
    EXPECT_TRUE(overlay.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(overlay.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(overlay.testAttribute(Qt::WA_TranslucentBackground));
}

TEST(ExplodeOverlay, ShowsDottedPixelsOnTheOutlinesAndNothingElse)
{
    ExplodeOverlay overlay(QRect(0, 0, 60, 40));
    overlay.ToggleOutline(QRect(10, 10, 20, 10));
    const QImage picture = overlay.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    // Where the window system cuts the window to a shape, only the pixels inside it show.
    const QWindow* window = overlay.windowHandle();
    const QRegion shape = window && !window->mask().isEmpty() ? window->mask() : QRegion(overlay.rect());
    auto shown = [&](int x, int y) { return shape.contains(QPoint(x, y)) && qAlpha(picture.pixel(x, y)) != 0; };
    EXPECT_TRUE(shown(10, 10));
    EXPECT_EQ(picture.pixel(10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(picture.pixel(11, 10), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(29, 19), qRgb(0, 0, 0));
    EXPECT_TRUE(shown(29, 15));
    EXPECT_FALSE(shown(15, 15));
    EXPECT_FALSE(shown(5, 5));
}

TEST(PlayExplodeEffect, ReturnsAtOncePausesAtEveryStepAndLeavesNothingBehind)
{
    QElapsedTimer clock;
    clock.start();
    QObject context;
    bool ended = false;
    PlayExplodeEffect(QPoint(700, 500), QRect(180, 150, 440, 300), &context, [&ended] { ended = true; });
    // Drawn by the event loop, which goes on meanwhile: a run that a timer starts never waits inside it.
    EXPECT_FALSE(ended);
    EXPECT_TRUE(QTest::qWaitFor([&ended] { return ended; }, 10000));
    // 81 outlines drawn twice, each after its pause (a pause is never shorter than asked for).
    EXPECT_GE(clock.elapsed(), 162 * ExplodeStepPause.count());
    EXPECT_FALSE(AnOverlayIsAlive());

    // A context that goes in the middle takes the overlay with it, and the effect never ends.
    ended = false;
    auto* going = new QObject;
    PlayExplodeEffect(QPoint(700, 500), QRect(180, 150, 440, 300), going, [&ended] { ended = true; });
    EXPECT_TRUE(QTest::qWaitFor(AnOverlayIsAlive, 10000));
    delete going;
    EXPECT_FALSE(AnOverlayIsAlive());
    QTest::qWait(300);
    EXPECT_FALSE(ended);
}
