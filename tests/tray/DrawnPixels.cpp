#include "DrawnPixels.h"

#include "GdiScope.h"
#include "UniqueHandle.h"

CPixelGrid drawnPixels(int width, int height, const std::vector<DrawnBlock>& blocks, std::optional<RECT> captured)
{
    CMemoryDc dc(CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    CGdiObject bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    CSelectObject selected(dc.get(), bitmap.get());
    const RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (const DrawnBlock& b : blocks) {
        CGdiObject brush(CreateSolidBrush(b.colour));
        FillRect(dc.get(), &b.rect, static_cast<HBRUSH>(brush.get()));
    }
    return CPixelGrid::capture(dc.get(), captured.value_or(all));
}
