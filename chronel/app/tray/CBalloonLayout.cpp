#include "CBalloonLayout.h"

#include "UniqueHandle.h"

#include <algorithm>

BalloonGeometry CBalloonLayout::compute(SIZE content, POINT anchor, const RECT& workArea)
{
    BalloonGeometry g;
    const int width = content.cx + 2 * kMargin;
    const int height = content.cy + 2 * kMargin + kTail;
    g.window = SIZE{width, height};
    g.below = anchor.y < (workArea.top + workArea.bottom) / 2;
    g.right = anchor.x >= (workArea.left + workArea.right) / 2;

    g.body = g.below ? RECT{0, kTail, width, height} : RECT{0, 0, width, height - kTail};

    // The base lies one pixel inside the body's edge so that body and tail join without a gap.
    const int baseY = g.below ? kTail + 1 : height - kTail - 2;
    const int tipY = g.below ? 1 : height - 2;
    const int c = (width - kTail) / 4;
    // Right half: the base runs from 3c to 3c + 20; left half: from c + 20 back to c. The tip
    // is straight above or below the base's end, which gives the tail its right angle.
    int baseStart = g.right ? 3 * c : c + kTail;
    int baseEnd = g.right ? 3 * c + kTail : c;
    int tipX = baseEnd;

    // Tip on the anchor, then into the work area sideways; the tail moves back by as much,
    // so that it still points at the anchor.
    int left = anchor.x - tipX;
    int top = anchor.y - tipY;
    int shift = 0;
    if (left + width > workArea.right)
        shift = workArea.right - (left + width);
    if (left + shift < workArea.left)
        shift = workArea.left - left;
    left += shift;
    auto keepInside = [width](int x) { return std::clamp(x, kMargin, std::max(kMargin, width - kMargin)); };
    baseStart = keepInside(baseStart - shift);
    baseEnd = keepInside(baseEnd - shift);
    tipX = keepInside(tipX - shift);

    // Only the tail may reach past the work area, by no more than its own length.
    if (g.below) {
        top = std::min(top, static_cast<int>(workArea.bottom) - height);
        top = std::max(top, static_cast<int>(workArea.top) - kTail);
    } else {
        top = std::max(top, static_cast<int>(workArea.top));
        top = std::min(top, static_cast<int>(workArea.bottom) + kTail - height);
    }

    g.position = POINT{left, top};
    g.tail = {POINT{baseStart, baseY}, POINT{baseEnd, baseY}, POINT{tipX, tipY}};
    return g;
}

HRGN CBalloonLayout::createRegion(const BalloonGeometry& g)
{
    HRGN region = CreateRoundRectRgn(g.body.left, g.body.top, g.body.right, g.body.bottom, kCornerEllipse,
                                     kCornerEllipse);
    CGdiObject tail(CreatePolygonRgn(g.tail.data(), static_cast<int>(g.tail.size()), WINDING));
    if (region && tail)
        CombineRgn(region, region, static_cast<HRGN>(tail.get()), RGN_OR);
    return region;
}
