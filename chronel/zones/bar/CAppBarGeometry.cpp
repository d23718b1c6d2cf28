#include "CAppBarGeometry.h"

#include "AppBarState.h"

#include <cstdlib>

namespace {

int snapLength(int length, int increment, int frame, int minLength, int maxLength)
{
    if (increment <= 0)
        return length;
    int count = (length - frame + increment / 2) / increment;
    if (count < 1)
        count = 1;
    while (count > 1 && count * increment + frame > maxLength)
        --count;
    while (count * increment + frame < minLength)
        ++count;
    return count * increment + frame;
}

LONG between(LONG from, LONG to, DWORD elapsed, DWORD duration)
{
    return from + MulDiv(to - from, static_cast<int>(elapsed), static_cast<int>(duration));
}

} // namespace

int CAppBarGeometry::proposeEdge(POINT p, bool ctrlHeld, DWORD allowed, const RECT& screen, const RECT& workArea,
                                 SIZE scrollBar)
{
    using namespace appbar;
    const bool canFloat = (allowed & kAllowFloat) != 0;
    const bool leftRight = (allowed & kAllowLeftRight) != 0;
    const bool topBottom = (allowed & kAllowTopBottom) != 0;
    if (canFloat && ctrlHeld)
        return kFloating;
    RECT inner = workArea;
    InflateRect(&inner, -scrollBar.cx, -scrollBar.cy);
    if ((canFloat && PtInRect(&inner, p)) || (!leftRight && !topBottom))
        return kFloating;

    const long long width = screen.right - screen.left;
    const long long height = screen.bottom - screen.top;
    const long long dx = p.x - (screen.left + width / 2);
    const long long dy = p.y - (screen.top + height / 2);
    if ((leftRight && height * std::llabs(dx) >= width * std::llabs(dy)) || !topBottom)
        return dx < 0 ? kLeft : kRight;
    return dy < 0 ? kTop : kBottom;
}

RECT CAppBarGeometry::cutToEdge(int edge, const RECT& area, int thickness)
{
    RECT r = area;
    switch (edge) {
    case appbar::kLeft: r.right = r.left + thickness; break;
    case appbar::kTop: r.bottom = r.top + thickness; break;
    case appbar::kRight: r.left = r.right - thickness; break;
    case appbar::kBottom: r.top = r.bottom - thickness; break;
    }
    return r;
}

RECT CAppBarGeometry::hiddenRect(int edge, const RECT& docked, const RECT& screen, SIZE border)
{
    RECT r = docked;
    switch (edge) {
    case appbar::kLeft: OffsetRect(&r, screen.left + 2 * border.cx - docked.right, 0); break;
    case appbar::kTop: OffsetRect(&r, 0, screen.top + 2 * border.cy - docked.bottom); break;
    case appbar::kRight: OffsetRect(&r, screen.right - 2 * border.cx - docked.left, 0); break;
    case appbar::kBottom: OffsetRect(&r, 0, screen.bottom - 2 * border.cy - docked.top); break;
    }
    return r;
}

int CAppBarGeometry::thicknessOf(int edge, const RECT& rect)
{
    return appbar::isHorizontal(edge) ? rect.bottom - rect.top : rect.right - rect.left;
}

RECT CAppBarGeometry::floatingAt(POINT p, const RECT& floatRect)
{
    const LONG width = floatRect.right - floatRect.left;
    const LONG height = floatRect.bottom - floatRect.top;
    const LONG left = p.x - width / 2;
    return RECT{left, p.y, left + width, p.y + height};
}

RECT CAppBarGeometry::snapSizing(const RECT& rect, UINT side, SIZE increment, SIZE frame, SIZE minSize, SIZE maxSize)
{
    const int width = snapLength(rect.right - rect.left, increment.cx, frame.cx, minSize.cx, maxSize.cx);
    const int height = snapLength(rect.bottom - rect.top, increment.cy, frame.cy, minSize.cy, maxSize.cy);
    RECT r = rect;
    if (side == WMSZ_LEFT || side == WMSZ_TOPLEFT || side == WMSZ_BOTTOMLEFT)
        r.left = r.right - width;
    else
        r.right = r.left + width;
    if (side == WMSZ_TOP || side == WMSZ_TOPLEFT || side == WMSZ_TOPRIGHT)
        r.top = r.bottom - height;
    else
        r.bottom = r.top + height;
    return r;
}

SIZE CAppBarGeometry::maxSize(int edge, const RECT& screen)
{
    const LONG width = screen.right - screen.left;
    const LONG height = screen.bottom - screen.top;
    const bool topBottom = edge == appbar::kTop || edge == appbar::kBottom;
    const bool leftRight = edge == appbar::kLeft || edge == appbar::kRight;
    return SIZE{topBottom ? width : width / 2, leftRight ? height : height / 2};
}

RECT CAppBarGeometry::slideStep(const RECT& from, const RECT& to, DWORD elapsed, DWORD duration)
{
    if (duration == 0 || elapsed >= duration)
        return to;
    return RECT{between(from.left, to.left, elapsed, duration), between(from.top, to.top, elapsed, duration),
                between(from.right, to.right, elapsed, duration), between(from.bottom, to.bottom, elapsed, duration)};
}
