#pragma once

#include <QPoint>
#include <QRect>

#include <chrono>
#include <functional>

class QObject;

// The opening effect of the about box: dotted outlines fly from the pointer to the window's
// frame, then the same outlines are drawn again, which takes them all away. Returns at once and
// draws one outline per timer tick, so that the event loop, and a run that a timer starts, go on
// meanwhile; then runs once the screen is as it was. The effect ends early, without then, when
// context goes.
void PlayExplodeEffect(QPoint pointer, const QRect& frame, QObject* context, std::function<void()> then);

// The pause before each outline. With the time the window system takes to show each one, the
// 162 outlines last about a quarter of a second.
constexpr std::chrono::milliseconds ExplodeStepPause(1);
