#include "CBalloonWnd.h"

#include "GdiScope.h"

#include "resource.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>

int CBalloonWnd::s_live = 0;

namespace {

// Between the icon, the title and the close button.
constexpr int kGap = 6;

HFONT guiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

RECT workAreaNear(POINT point)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info))
        return info.rcWork;
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

} // namespace

CBalloonWnd::CBalloonWnd(std::wstring title, std::wstring text, LPCWSTR icon, DWORD options, UINT displayTime,
                         std::wstring url)
    : m_title(std::move(title)), m_text(std::move(text)), m_url(std::move(url)), m_iconId(icon),
      m_options(options), m_displayTime(displayTime)
{
    ++s_live;
}

CBalloonWnd::~CBalloonWnd() { --s_live; }

bool CBalloonWnd::registerClasses()
{
    const UINT styles = CS_SAVEBITS | CS_DBLCLKS;
    return CWnd::registerClass(kShadowClass, styles | CS_DROPSHADOW)
        && CWnd::registerClass(kNoShadowClass, styles);
}

HWND CBalloonWnd::popup(HWND owner, POINT anchor, std::wstring title, std::wstring text, LPCWSTR icon,
                        DWORD options, UINT displayTime, std::wstring url)
{
    auto balloon = std::make_unique<CBalloonWnd>(std::move(title), std::move(text), icon, options | kAutoDelete,
                                                 displayTime, std::move(url));
    if (!balloon->show(owner, anchor))
        return nullptr;
    return balloon.release()->hwnd();
}

bool CBalloonWnd::show(HWND owner, POINT anchor)
{
    if (exists() || !registerClasses())
        return false;
    m_anchor = anchor;

    BOOL animation = FALSE;
    BOOL fade = FALSE;
    SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &animation, 0);
    if (animation)
        SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &fade, 0);
    if (!animation || !fade)
        m_options |= kNoFade;

    const int iconWidth = std::max(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CXSIZE));
    const int iconHeight = std::max(GetSystemMetrics(SM_CYSMICON), GetSystemMetrics(SM_CYSIZE));
    m_icon = static_cast<HICON>(LoadImageW(nullptr, m_iconId, IMAGE_ICON, iconWidth, iconHeight, LR_SHARED));
    m_iconSize = SIZE{iconWidth, iconHeight};

    LOGFONTW font{};
    GetObjectW(guiFont(), sizeof font, &font);
    font.lfWeight = FW_BOLD;
    m_titleFont.reset(CreateFontIndirectW(&font));

    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_LAYERED | ((m_options & kTopmost) ? WS_EX_TOPMOST : 0);
    const wchar_t* className = (m_options & kNoShadow) ? kNoShadowClass : kShadowClass;
    if (!create(exStyle, className, m_title.c_str(), WS_POPUP, 0, 0, 10, 10, owner))
        return false;
    layout();
    SetLayeredWindowAttributes(hwnd(), 0, 255, LWA_ALPHA);

    if (m_options & kNoFade)
        ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    else if (!AnimateWindow(hwnd(), kFadeMs, AW_BLEND))
        ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    if (m_displayTime != 0)
        SetTimer(hwnd(), IDT_BALLOON_CLOSE, m_displayTime, nullptr);
    m_deleteWithWindow = (m_options & kAutoDelete) != 0;
    return true;
}

SIZE CBalloonWnd::measureContent()
{
    RECT title{0, 0, 0, 0};
    RECT text{0, 0, kMaxTextWidth, 0};
    {
        CWindowDc dc(hwnd());
        CSelectObject font(dc.get(), m_titleFont ? m_titleFont.get() : guiFont());
        DrawTextW(dc.get(), m_title.c_str(), -1, &title, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        font.select(guiFont());
        if (!m_text.empty())
            DrawTextW(dc.get(), m_text.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        else
            text = RECT{};
    }

    m_titleSize = SIZE{title.right - title.left, title.bottom - title.top};
    m_textSize = SIZE{text.right - text.left, text.bottom - text.top};
    // The title's line holds the icon and the close button too.
    const bool closeButton = (m_options & kCloseButton) != 0;
    const int titleWidth = m_iconSize.cx + kGap + m_titleSize.cx + (closeButton ? kGap + kCloseButtonSize : 0);
    const int titleHeight =
        std::max({static_cast<int>(m_iconSize.cy), static_cast<int>(m_titleSize.cy), closeButton ? kCloseButtonSize : 0});
    m_titleSize.cy = titleHeight;
    return SIZE{std::max(titleWidth, static_cast<int>(m_textSize.cx)), titleHeight + m_textSize.cy + CBalloonLayout::kMargin};
}

void CBalloonWnd::layout()
{
    const SIZE content = measureContent();
    m_geometry = CBalloonLayout::compute(content, m_anchor, workAreaNear(m_anchor));
    const BalloonGeometry& g = m_geometry;

    const int margin = CBalloonLayout::kMargin;
    const int top = g.body.top + margin;
    const int width = g.window.cx;
    const int iconTop = top + (m_titleSize.cy - m_iconSize.cy) / 2;
    m_iconRect = RECT{margin, iconTop, margin + m_iconSize.cx, iconTop + m_iconSize.cy};
    m_closeRect = RECT{width - margin - kCloseButtonSize, top, width - margin, top + kCloseButtonSize};
    const int titleRight = (m_options & kCloseButton) ? m_closeRect.left - kGap : width - margin;
    m_titleRect = RECT{m_iconRect.right + kGap, top, titleRight, top + m_titleSize.cy};
    const int textTop = top + m_titleSize.cy + margin;
    m_textRect = RECT{margin, textTop, width - margin, textTop + m_textSize.cy};

    SetWindowPos(hwnd(), nullptr, g.position.x, g.position.y, g.window.cx, g.window.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    applyRegion(g);
}

void CBalloonWnd::applyRegion(const BalloonGeometry& geometry)
{
    CGdiObject region(CBalloonLayout::createRegion(geometry));
    if (!region)
        return;
    if (m_region && EqualRgn(static_cast<HRGN>(region.get()), static_cast<HRGN>(m_region.get())))
        return;
    CGdiObject copy(CreateRectRgn(0, 0, 0, 0));
    CombineRgn(static_cast<HRGN>(copy.get()), static_cast<HRGN>(region.get()), nullptr, RGN_COPY);
    // The window owns the region it is given.
    if (!SetWindowRgn(hwnd(), static_cast<HRGN>(region.get()), TRUE))
        return;
    region.release();
    m_region = std::move(copy);
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CBalloonWnd::paint(HDC dc)
{
    const RECT all{0, 0, m_geometry.window.cx, m_geometry.window.cy};
    FillRect(dc, &all, GetSysColorBrush(COLOR_INFOBK));
    if ((m_options & kDoubleFrame) && m_region) {
        const HRGN region = static_cast<HRGN>(m_region.get());
        FrameRgn(dc, region, GetSysColorBrush(COLOR_BTNSHADOW), 2, 2);
        FrameRgn(dc, region, GetSysColorBrush(COLOR_3DDKSHADOW), 1, 1);
    }
    if (m_icon)
        DrawIconEx(dc, m_iconRect.left, m_iconRect.top, m_icon, m_iconSize.cx, m_iconSize.cy, 0, nullptr, DI_NORMAL);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    {
        CSelectObject font(dc, m_titleFont ? m_titleFont.get() : guiFont());
        RECT title = m_titleRect;
        DrawTextW(dc, m_title.c_str(), -1, &title, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        font.select(guiFont());
        RECT text = m_textRect;
        DrawTextW(dc, m_text.c_str(), -1, &text, DT_WORDBREAK | DT_NOPREFIX);
    }

    if (m_options & kCloseButton)
        paintCloseButton(dc);
}

void CBalloonWnd::paintCloseButton(HDC dc)
{
    // Flat while idle, raised under the mouse, sunk while held. The cross is drawn rather
    // than taken from the symbol font, which not every system has.
    RECT button = m_closeRect;
    const bool pushed = m_hot && m_pressed;
    if (pushed)
        DrawEdge(dc, &button, BDR_SUNKENOUTER, BF_RECT);
    else if (m_hot)
        DrawEdge(dc, &button, BDR_RAISEDINNER, BF_RECT);
    else
        FrameRect(dc, &button, GetSysColorBrush(COLOR_BTNSHADOW));
    const int shift = pushed ? 1 : 0;
    const int left = button.left + 4 + shift;
    const int top = button.top + 4 + shift;
    const int right = button.right - 5 + shift;
    const int bottom = button.bottom - 5 + shift;
    CGdiObject pen(CreatePen(PS_SOLID, 2, GetSysColor(COLOR_INFOTEXT)));
    CSelectObject selected(dc, pen.get());
    MoveToEx(dc, left, top, nullptr);
    LineTo(dc, right, bottom);
    MoveToEx(dc, right, top, nullptr);
    LineTo(dc, left, bottom);
}

bool CBalloonWnd::overCloseButton(POINT at) const
{
    return (m_options & kCloseButton) && PtInRect(&m_closeRect, at);
}

void CBalloonWnd::setHot(bool hot)
{
    if (hot == m_hot)
        return;
    m_hot = hot;
    InvalidateRect(hwnd(), &m_closeRect, FALSE);
}

void CBalloonWnd::onButtonDown(POINT at)
{
    if (overCloseButton(at)) {
        m_pressed = true;
        m_hot = true;
        InvalidateRect(hwnd(), &m_closeRect, FALSE);
        SetCapture(hwnd());
    } else {
        m_bodyDown = true;
    }
}

void CBalloonWnd::onButtonUp(POINT at)
{
    if (m_pressed) {
        m_pressed = false;
        if (GetCapture() == hwnd())
            ReleaseCapture();
        if (overCloseButton(at))
            close();
        else
            setHot(false);
        return;
    }
    if (!m_bodyDown)
        return;
    m_bodyDown = false;
    if (m_url.empty())
        return;
    ShellExecuteW(nullptr, L"open", m_url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    close();
}

void CBalloonWnd::onMouseMove(POINT at)
{
    if (!m_trackingLeave) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = hwnd();
        m_trackingLeave = TrackMouseEvent(&track) != FALSE;
    }
    // While the close button is held it shows pushed only with the mouse over it.
    setHot(overCloseButton(at));
}

void CBalloonWnd::close() { DestroyWindow(hwnd()); }

LRESULT CBalloonWnd::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // WM_PAINT fills everything
    case WM_PAINT: {
        CPaintDc dc(hwnd());
        paint(dc.get());
        return 0;
    }
    case WM_PRINTCLIENT:
        // The fade-in animation takes its picture of the window this way.
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        onButtonDown(at);
        return 0;
    case WM_LBUTTONUP:
        onButtonUp(at);
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove(at);
        return 0;
    case WM_MOUSELEAVE:
        m_trackingLeave = false;
        if (!m_pressed)
            setHot(false);
        return 0;
    case WM_CAPTURECHANGED:
        if (m_pressed && reinterpret_cast<HWND>(lParam) != hwnd()) {
            m_pressed = false;
            setHot(false);
        }
        return 0;
    case WM_TIMER:
        if (wParam == IDT_BALLOON_CLOSE) {
            KillTimer(hwnd(), IDT_BALLOON_CLOSE);
            close();
            return 0;
        }
        break;
    default:
        break;
    }
    return defaultProc(message, wParam, lParam);
}

void CBalloonWnd::onFinalMessage()
{
    if (m_deleteWithWindow)
        delete this;
}
