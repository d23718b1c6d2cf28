#include "CBarButtonPainter.h"

#include "GdiScope.h"

namespace {

constexpr int kIconSize = 16;

void fill(HDC dc, const RECT& rect, COLORREF colour)
{
    CGdiObject brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
}

} // namespace

HFONT CBarButtonPainter::glyphFont(int height)
{
    if (!m_marlett || m_marlettHeight != height) {
        m_marlett.reset(CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Marlett"));
        m_marlettHeight = height;
    }
    return static_cast<HFONT>(m_marlett.get());
}

void CBarButtonPainter::drawClose(const DRAWITEMSTRUCT& item)
{
    const HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

    // The glyph fills the face inside the 2-pixel frame, a pixel lower and to the right
    // while pressed, as a caption button's does.
    RECT face = rect;
    InflateRect(&face, -2, -2);
    if (pushed)
        OffsetRect(&face, 1, 1);
    const int height = face.bottom - face.top;
    if (height <= 0)
        return;
    CSelectObject font(dc, glyphFont(height));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextW(dc, L"r", 1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void CBarButtonPainter::drawPin(const DRAWITEMSTRUCT& item, HICON icon, bool pinned)
{
    const HDC dc = item.hDC;
    RECT rect = item.rcItem;
    fill(dc, rect, pinned ? pinnedFace() : unpinnedFace());
    const bool sunken = pinned || (item.itemState & ODS_SELECTED);
    DrawEdge(dc, &rect, sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    if (!icon)
        return;
    int x = rect.left + (rect.right - rect.left - kIconSize) / 2;
    int y = rect.top + (rect.bottom - rect.top - kIconSize) / 2;
    if (item.itemState & ODS_SELECTED) {
        ++x;
        ++y;
    }
    DrawIconEx(dc, x, y, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
}
