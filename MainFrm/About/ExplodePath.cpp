#include "MainFrm/About/ExplodePath.h"

#include <cmath>

namespace {

// Computed as distance / 40 * step + start in floating point, then truncated: the same sum for every
// coordinate, so that step 40 lands on the end exactly.
int StepValue(int start, int end, int step)
{
    const double distance = end - start;
    return static_cast<int>(std::trunc(distance / ExplodeStepsPerMove * step + start));
}

QRect StepOutline(const QRect& from, const QRect& to, int step)
{
    return QRect(StepValue(from.left(), to.left(), step), StepValue(from.top(), to.top(), step),
                 StepValue(from.width(), to.width(), step), StepValue(from.height(), to.height(), step));
}

} // namespace

QPoint ExplodeTurningPoint(QPoint pointer, const QRect& frame)
{
    // The bottom edge is the first line below the frame, as the frame's height measures it.
    return {pointer.x() + (frame.left() - pointer.x()) / 2, frame.top() + frame.height()};
}

std::vector<QRect> ExplodeOutlines(QPoint pointer, const QRect& frame)
{
    const QRect atPointer(pointer, ExplodeStartSize);
    const QRect atTurningPoint(ExplodeTurningPoint(pointer, frame), ExplodeStartSize);
    std::vector<QRect> outlines {atPointer};
    for (int step = 1; step <= ExplodeStepsPerMove; ++step)
        outlines.push_back(StepOutline(atPointer, atTurningPoint, step));
    for (int step = 1; step <= ExplodeStepsPerMove; ++step)
        outlines.push_back(StepOutline(atTurningPoint, frame, step));
    return outlines;
}
