#pragma once
// A copy of the pixels of a rectangle of a device context (the screen's, or a bitmap's in
// tests), so that they can be examined without a GDI call per pixel.

#include <windows.h>

#include <vector>

class CPixelGrid {
public:
    CPixelGrid() = default;

    // The pixels of `area`, in the coordinates of `source`. Empty when the copy fails.
    static CPixelGrid capture(HDC source, const RECT& area);

    bool empty() const { return m_pixels.empty(); }
    const RECT& area() const { return m_area; }
    bool contains(int x, int y) const;
    // 0x00RRGGBB of the pixel at (x, y); black outside the grid.
    DWORD at(int x, int y) const;
    // Red, green and blue each at most 3. Pixels outside the grid never count.
    bool isNearBlack(int x, int y) const;

private:
    RECT m_area{};
    std::vector<DWORD> m_pixels; // rows top first
};
