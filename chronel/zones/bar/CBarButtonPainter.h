#pragma once
// Draws the bar's two owner-drawn buttons: the close button (Marlett's "r", the glyph of a
// caption's close button) and the auto-hide pin (its icon on a face that shows the switch).

#include "UniqueHandle.h"

#include <windows.h>

class CBarButtonPainter {
public:
    void drawClose(const DRAWITEMSTRUCT& item);
    // `pinned` is auto-hide on: the pushed-in pin on a light, sunken face; otherwise the
    // loose pin on a highlight face, raised.
    void drawPin(const DRAWITEMSTRUCT& item, HICON icon, bool pinned);

    // The faces the pin is drawn on.
    static COLORREF pinnedFace() { return GetSysColor(COLOR_3DLIGHT); }
    static COLORREF unpinnedFace() { return GetSysColor(COLOR_3DHIGHLIGHT); }

private:
    HFONT glyphFont(int height);

    CGdiObject m_marlett;
    int m_marlettHeight = 0;
};
