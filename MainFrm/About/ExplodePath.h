#pragma once

#include <QPoint>
#include <QRect>

#include <vector>

// The outlines of the opening effect, in screen coordinates and in drawing order: a 20 x 10
// outline at the pointer, 40 steps that move it to a point below the window's left half, and
// 40 steps that move and grow it onto the window's frame, ending exactly on it.
std::vector<QRect> ExplodeOutlines(QPoint pointer, const QRect& frame);

// The turning point between the two moves: halfway from the pointer's x to the frame's left edge
// (an odd distance rounded toward the pointer), at the height of the frame's bottom edge.
QPoint ExplodeTurningPoint(QPoint pointer, const QRect& frame);

constexpr int ExplodeStepsPerMove = 40;
constexpr QSize ExplodeStartSize(20, 10);
