#pragma once
// The arithmetic of a docking bar, free of windows and of the shell: which edge a drag
// proposes, the rectangle at an edge, the hidden place of an auto-hidden bar, the snapping of
// a resize, the largest size and the steps of a slide.

#include <windows.h>

class CAppBarGeometry {
public:
    // The state a drag proposes with the cursor at `p`: floating inside the work area
    // (shrunk by a scroll bar's width and height, so the screen's edges stay a target) or
    // with Ctrl held; otherwise the edge the cursor points at from the screen's centre, the
    // sides weighed by the screen's proportions.
    static int proposeEdge(POINT p, bool ctrlHeld, DWORD allowed, const RECT& screen, const RECT& workArea,
                           SIZE scrollBar);

    // `area` cut to `thickness` at `edge` (left and right: width; top and bottom: height).
    static RECT cutToEdge(int edge, const RECT& area, int thickness);
    // A docked rectangle moved off the screen at its edge, leaving two border widths in view
    // for the pointer to find.
    static RECT hiddenRect(int edge, const RECT& docked, const RECT& screen, SIZE border);
    // The thickness of `rect` docked at `edge`.
    static int thicknessOf(int edge, const RECT& rect);

    // A floating rectangle of `floatRect`'s size, centred horizontally on `p`, its top at `p`.
    static RECT floatingAt(POINT p, const RECT& floatRect);

    // `rect` resized from `side` (a WMSZ_ value) so that its client area (the size less
    // `frame`) is a whole multiple of `increment`, rounded to the nearest and kept within
    // `minSize` and `maxSize`. The opposite sides stay where they are.
    static RECT snapSizing(const RECT& rect, UINT side, SIZE increment, SIZE frame, SIZE minSize, SIZE maxSize);
    // The largest size: the full screen along a docked edge, half the screen across it and
    // in both directions when floating.
    static SIZE maxSize(int edge, const RECT& screen);

    // Where a slide from `from` to `to` over `duration` ms stands after `elapsed` ms.
    static RECT slideStep(const RECT& from, const RECT& to, DWORD elapsed, DWORD duration);
};
