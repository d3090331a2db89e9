#pragma once

#include <QPoint>
#include <QRect>

#include <chrono>

// The opening effect of the about box: dotted outlines fly from the pointer to the window's
// frame, then the same outlines are drawn again, which takes them all away. Plays before the
// window is shown, with the window already at its place; returns when the screen is as it was.
void PlayExplodeEffect(QPoint pointer, const QRect& frame);

// The pause before each outline. With the time the window system takes to show each one, the
// 162 outlines last about a quarter of a second.
constexpr std::chrono::milliseconds ExplodeStepPause(1);
