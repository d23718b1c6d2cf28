#pragma once
// Where a balloon goes: its size from the size of its content, a body with rounded corners
// and a 20-pixel tail on the side of the anchor, placed so that the tail's tip lies on the
// anchor and the balloon stays inside the work area.

#include <windows.h>

#include <array>

struct BalloonGeometry {
    SIZE window{};                 // the window's size
    POINT position{};              // the window's top-left corner on the screen
    RECT body{};                   // window coordinates
    std::array<POINT, 3> tail{};   // base start, base end, tip (window coordinates)
    bool below = false;            // the balloon hangs below the anchor (anchor in the upper half)
    bool right = false;            // the anchor is in the right half of the work area
};

class CBalloonLayout {
public:
    static constexpr int kTail = 20;          // the tail's length and the width of its base
    static constexpr int kMargin = 8;         // between the body's edge and the content
    static constexpr int kCornerEllipse = 24; // the body's rounded corners

    static BalloonGeometry compute(SIZE content, POINT anchor, const RECT& workArea);
    // The body and the tail as one region, for SetWindowRgn (the caller owns it).
    static HRGN createRegion(const BalloonGeometry& geometry);
};
