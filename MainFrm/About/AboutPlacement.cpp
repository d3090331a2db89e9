#include "MainFrm/About/AboutPlacement.h"

#include <algorithm>

namespace {

// The start of a span of length `length` centred in [areaStart, areaStart + areaLength).
int CentredStart(int areaStart, int areaLength, int length)
{
    const int centred = areaStart + (areaLength - length) / 2;
    const int endsAtEdge = areaStart + areaLength - length;
    // The second max keeps a window larger than the area at the area's start rather than before it.
    return std::max(std::min(centred, endsAtEdge), areaStart);
}

} // namespace

QPoint CentredOnScreen(QSize windowSize, const QRect& screenArea)
{
    return {CentredStart(screenArea.left(), screenArea.width(), windowSize.width()),
            CentredStart(screenArea.top(), screenArea.height(), windowSize.height())};
}
