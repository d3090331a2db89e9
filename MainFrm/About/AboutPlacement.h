#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a window of the given size goes on a screen area: centred, pulled back so that it ends at
// the area's right and bottom edges when it would run past them, and never above or left of the area.
QPoint CentredOnScreen(QSize windowSize, const QRect& screenArea);
