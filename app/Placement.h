#pragma once

#include <QRect>

#include <algorithm>

// Where a window whose frame would lie at `frame` goes instead, so that its
// top-left corner (the menu, the title bar) stays on the screen's available
// area and as much of the rest as fits does too. A window larger than the
// area overhangs at the right and the bottom, never at the left or the top.
inline QPoint keptOnScreen(const QRect& frame, const QRect& available)
{
    const int x = std::min(frame.x(), available.x() + available.width() - frame.width());
    const int y = std::min(frame.y(), available.y() + available.height() - frame.height());
    return {std::max(x, available.x()), std::max(y, available.y())};
}
