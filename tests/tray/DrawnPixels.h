#pragma once
// Bitmaps drawn by tests and benchmarks, captured the way the locator captures the screen.

#include "CPixelGrid.h"

#include <windows.h>

#include <optional>
#include <vector>

struct DrawnBlock {
    RECT rect;
    COLORREF colour;
};

// A white bitmap of width x height with the given blocks; the grid holds `captured` of it, or
// all of it.
CPixelGrid drawnPixels(int width, int height, const std::vector<DrawnBlock>& blocks,
                       std::optional<RECT> captured = {});
