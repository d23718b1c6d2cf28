#include "CPixelGrid.h"

#include "GdiScope.h"

#include "UniqueHandle.h"

CPixelGrid CPixelGrid::capture(HDC source, const RECT& area)
{
    CPixelGrid grid;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (!source || width <= 0 || height <= 0)
        return grid;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    CGdiObject bitmap(CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    CMemoryDc memory(CreateCompatibleDC(source));
    if (!bitmap || !memory || !bits)
        return grid;
    BOOL copied = FALSE;
    {
        CSelectObject selected(memory.get(), bitmap.get());
        copied = BitBlt(memory.get(), 0, 0, width, height, source, area.left, area.top, SRCCOPY);
    }
    if (!copied)
        return grid;
    GdiFlush();

    const DWORD* pixels = static_cast<const DWORD*>(bits);
    grid.m_pixels.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
    for (DWORD& p : grid.m_pixels)
        p &= 0x00FFFFFF;
    grid.m_area = area;
    return grid;
}

bool CPixelGrid::contains(int x, int y) const
{
    return !empty() && x >= m_area.left && x < m_area.right && y >= m_area.top && y < m_area.bottom;
}

DWORD CPixelGrid::at(int x, int y) const
{
    if (!contains(x, y))
        return 0;
    const size_t width = static_cast<size_t>(m_area.right - m_area.left);
    return m_pixels[static_cast<size_t>(y - m_area.top) * width + static_cast<size_t>(x - m_area.left)];
}

bool CPixelGrid::isNearBlack(int x, int y) const
{
    if (!contains(x, y))
        return false;
    const DWORD p = at(x, y);
    return (p & 0xFF) <= 3 && ((p >> 8) & 0xFF) <= 3 && ((p >> 16) & 0xFF) <= 3;
}
