#include "CAppBarDialog.h"

#include "CAppBarGeometry.h"

#include "resource.h"

#include <algorithm>

namespace {

bool onSide(LRESULT hit, LRESULT a, LRESULT b, LRESULT c) { return hit == a || hit == b || hit == c; }

} // namespace

CAppBarDialog::CAppBarDialog(UINT templateId, IAppBarShell& shell)
    : CDialog(templateId), m_shell(shell), m_notifyMessage(RegisterWindowMessageW(APPBAR_NOTIFY_MESSAGE))
{
}

CAppBarDialog::~CAppBarDialog()
{
    // The shell would keep the room reserved for a window that no longer answers.
    if (hwnd())
        unregisterBar();
}

RECT CAppBarDialog::screenRect() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

SIZE CAppBarDialog::borderSize() { return SIZE{GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)}; }

RECT CAppBarDialog::windowRect() const
{
    RECT r{};
    GetWindowRect(hwnd(), &r);
    return r;
}

SIZE CAppBarDialog::frameSize() const
{
    RECT window = windowRect(), client{};
    GetClientRect(hwnd(), &client);
    return SIZE{(window.right - window.left) - client.right, (window.bottom - window.top) - client.bottom};
}

RECT CAppBarDialog::targetRect() const { return m_sliding ? m_slideTo : windowRect(); }

AppBarState CAppBarDialog::measure(DWORD allowed)
{
    m_allowed = allowed;
    const RECT window = windowRect();
    RECT client{};
    GetClientRect(hwnd(), &client);
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    m_minSize = SIZE{width, height};
    // Docked bars grow by whole rows of the template's height.
    m_sizeIncrement = SIZE{1, client.bottom > 0 ? client.bottom : 1};

    AppBarState defaults;
    defaults.edge = appbar::kTop;
    defaults.dockedSize[appbar::kLeft] = width;
    defaults.dockedSize[appbar::kTop] = height;
    defaults.dockedSize[appbar::kRight] = width;
    defaults.dockedSize[appbar::kBottom] = height;
    // Twice as wide about the same middle.
    defaults.floatRect = RECT{window.left - width / 2, window.top, window.right + (width - width / 2), window.bottom};
    m_state = defaults;
    return defaults;
}

void CAppBarDialog::registerBar()
{
    APPBARDATA data{};
    data.hWnd = hwnd();
    data.uCallbackMessage = m_notifyMessage;
    m_registered = m_shell.message(ABM_NEW, data) != 0;
    SetTimer(hwnd(), IDT_BAR_AUTOHIDE, kAutoHideCheckMs, nullptr);
    APPBARDATA state{};
    state.hWnd = hwnd();
    m_taskbarState = static_cast<UINT>(m_shell.message(ABM_GETSTATE, state));
}

void CAppBarDialog::unregisterBar()
{
    KillTimer(hwnd(), IDT_BAR_AUTOHIDE);
    stopSlide();
    if (!m_registered)
        return;
    if (appbar::isDocked(m_state.edge) && autoHideBarIsUs(m_state.edge))
        setAutoHideBar(m_state.edge, false);
    APPBARDATA data{};
    data.hWnd = hwnd();
    m_shell.message(ABM_REMOVE, data);
    m_registered = false;
}

bool CAppBarDialog::autoHideBarIsUs(int edge)
{
    APPBARDATA data{};
    data.hWnd = hwnd();
    data.uEdge = static_cast<UINT>(edge);
    return reinterpret_cast<HWND>(m_shell.message(ABM_GETAUTOHIDEBAR, data)) == hwnd();
}

bool CAppBarDialog::setAutoHideBar(int edge, bool on)
{
    APPBARDATA data{};
    data.hWnd = hwnd();
    data.uEdge = static_cast<UINT>(edge);
    data.lParam = on ? TRUE : FALSE;
    return m_shell.message(ABM_SETAUTOHIDEBAR, data) != 0;
}

void CAppBarDialog::setPos(int edge, const RECT& rect, RECT* granted)
{
    APPBARDATA data{};
    data.hWnd = hwnd();
    data.uEdge = static_cast<UINT>(edge);
    data.rc = rect;
    m_shell.message(ABM_SETPOS, data);
    if (granted)
        *granted = data.rc;
}

int CAppBarDialog::clampedThickness(int edge) const
{
    const SIZE largest = CAppBarGeometry::maxSize(edge, screenRect());
    const bool horizontal = appbar::isHorizontal(edge);
    const int least = horizontal ? m_minSize.cy : m_minSize.cx;
    const int most = horizontal ? largest.cy : largest.cx;
    return std::max(least, std::min(m_state.dockedSize[edge], most));
}

RECT CAppBarDialog::dockedRect(int edge, bool autoHidden)
{
    RECT area = screenRect();
    if (!autoHidden) {
        APPBARDATA data{};
        data.hWnd = hwnd();
        data.uEdge = static_cast<UINT>(edge);
        data.rc = area;
        m_shell.message(ABM_QUERYPOS, data);
        area = data.rc;
    }
    return CAppBarGeometry::cutToEdge(edge, area, clampedThickness(edge));
}

void CAppBarDialog::applyState(int edge)
{
    if (!hwnd())
        return;
    if (m_registered && appbar::isDocked(m_state.edge) && autoHideBarIsUs(m_state.edge))
        setAutoHideBar(m_state.edge, false);
    m_state.edge = edge;
    m_outOfView = false;
    bool refused = false;

    if (edge == appbar::kNone) {
        if (m_registered) {
            APPBARDATA data{};
            data.hWnd = hwnd();
            m_shell.message(ABM_REMOVE, data);
            m_registered = false;
        }
    } else {
        if (!m_registered) {
            // Back from "none": the shell forgot us.
            APPBARDATA data{};
            data.hWnd = hwnd();
            data.uCallbackMessage = m_notifyMessage;
            m_registered = m_shell.message(ABM_NEW, data) != 0;
        }
        if (edge == appbar::kFloating) {
            setPos(appbar::kTop, RECT{}, nullptr);
            slideTo(m_state.floatRect);
        } else {
            // Without a shell (ABM_NEW failed) nobody can refuse: the bar hides on its own.
            if (m_state.autoHide && m_registered && !setAutoHideBar(edge, true)) {
                m_state.autoHide = false;
                refused = true;
            }
            RECT rect = dockedRect(edge, m_state.autoHide);
            if (m_state.autoHide) {
                // An auto-hidden bar takes no room from other windows.
                setPos(edge, RECT{}, nullptr);
                rect = CAppBarGeometry::hiddenRect(edge, rect, screenRect(), borderSize());
                m_outOfView = true;
            } else {
                setPos(edge, rect, &rect);
            }
            slideTo(rect);
        }
    }
    onStateApplied();
    applyZOrder();
    // Told once the bar stands where it now belongs: the message box waits for an answer.
    if (refused)
        onAutoHideRefused();
}

void CAppBarDialog::applyZOrder()
{
    HWND after = HWND_NOTOPMOST;
    if (m_state.alwaysOnTop)
        after = m_fullScreenAppOpen ? HWND_BOTTOM : HWND_TOPMOST;
    SetWindowPos(hwnd(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (m_registered) {
        APPBARDATA data{};
        data.hWnd = hwnd();
        m_shell.message(ABM_ACTIVATE, data);
    }
}

void CAppBarDialog::changeAutoHide(bool on)
{
    if (m_state.autoHide == on)
        return;
    m_state.autoHide = on;
    applyState(m_state.edge);
}

void CAppBarDialog::changeAlwaysOnTop(bool on)
{
    if (m_state.alwaysOnTop == on)
        return;
    m_state.alwaysOnTop = on;
    applyState(m_state.edge);
}

void CAppBarDialog::showAutoHidden(bool inView)
{
    if (!hwnd() || !m_state.autoHide || !appbar::isDocked(m_state.edge) || m_outOfView == !inView)
        return;
    const int edge = m_state.edge;
    RECT rect = dockedRect(edge, true);
    if (!inView)
        rect = CAppBarGeometry::hiddenRect(edge, rect, screenRect(), borderSize());
    m_outOfView = !inView;
    slideTo(rect);
}

void CAppBarDialog::slideTo(const RECT& target)
{
    const RECT current = windowRect();
    BOOL fullWindows = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &fullWindows, 0);
    if (!fullWindows || !IsWindowVisible(hwnd()) || EqualRect(&current, &target)) {
        stopSlide();
        moveWindow(target);
        return;
    }
    // A timer rather than a loop: the shell's notifications, the auto-hide check and the
    // pages keep running while the bar moves.
    m_slideFrom = current;
    m_slideTo = target;
    m_slideStart = GetTickCount();
    m_sliding = SetTimer(hwnd(), IDT_BAR_SLIDE, kSlideStepMs, nullptr) != 0;
    if (!m_sliding)
        moveWindow(target);
}

void CAppBarDialog::onSlideStep()
{
    if (!m_sliding) {
        KillTimer(hwnd(), IDT_BAR_SLIDE);
        return;
    }
    const DWORD elapsed = GetTickCount() - m_slideStart;
    moveWindow(CAppBarGeometry::slideStep(m_slideFrom, m_slideTo, elapsed, kSlideMs));
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (elapsed >= kSlideMs)
        stopSlide();
}

void CAppBarDialog::stopSlide()
{
    if (!m_sliding)
        return;
    m_sliding = false;
    KillTimer(hwnd(), IDT_BAR_SLIDE);
    moveWindow(m_slideTo);
}

void CAppBarDialog::moveWindow(const RECT& r)
{
    SetWindowPos(hwnd(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CAppBarDialog::onAutoHideCheck()
{
    if (!m_state.autoHide || !appbar::isDocked(m_state.edge) || m_outOfView || m_sliding || m_moving)
        return;
    if (GetActiveWindow() == hwnd())
        return;
    RECT nearby = windowRect();
    InflateRect(&nearby, 2 * GetSystemMetrics(SM_CXDOUBLECLK), 2 * GetSystemMetrics(SM_CYDOUBLECLK));
    if (!PtInRect(&nearby, m_shell.cursorPos()))
        showAutoHidden(false);
}

void CAppBarDialog::onNotify(WPARAM code, LPARAM lParam)
{
    switch (code) {
    case ABN_STATECHANGE: {
        APPBARDATA data{};
        data.hWnd = hwnd();
        const UINT now = static_cast<UINT>(m_shell.message(ABM_GETSTATE, data));
        const UINT changed = now ^ m_taskbarState;
        m_taskbarState = now;
        if ((changed & ABS_AUTOHIDE) && (m_allowed & appbar::kAllowAutoHide))
            changeAutoHide((now & ABS_AUTOHIDE) != 0);
        if ((changed & ABS_ALWAYSONTOP) && (m_allowed & appbar::kAllowAlwaysOnTop))
            changeAlwaysOnTop((now & ABS_ALWAYSONTOP) != 0);
        break;
    }
    case ABN_POSCHANGED:
        // Another bar or the taskbar moved: take what room is left. An auto-hidden or a
        // floating bar takes none; a bar being dragged takes its place when the drag ends.
        if (appbar::isDocked(m_state.edge) && !m_state.autoHide && !m_moving)
            applyState(m_state.edge);
        break;
    case ABN_FULLSCREENAPP:
        m_fullScreenAppOpen = lParam != 0;
        applyState(m_state.edge);
        break;
    case ABN_WINDOWARRANGE:
        break;
    }
}

LRESULT CAppBarDialog::hitTest(LPARAM lParam)
{
    const LRESULT hit = DefWindowProcW(hwnd(), WM_NCHITTEST, 0, lParam);
    if (hit == HTCLIENT)
        return HTCAPTION;
    if (!appbar::isDocked(m_state.edge) || hit < HTLEFT || hit > HTBOTTOMRIGHT)
        return hit;
    // Docked, only the edge that faces the screen's middle sizes the bar.
    switch (m_state.edge) {
    case appbar::kTop:
        return onSide(hit, HTBOTTOM, HTBOTTOMLEFT, HTBOTTOMRIGHT) ? HTBOTTOM : HTBORDER;
    case appbar::kBottom:
        return onSide(hit, HTTOP, HTTOPLEFT, HTTOPRIGHT) ? HTTOP : HTBORDER;
    case appbar::kLeft:
        return onSide(hit, HTRIGHT, HTTOPRIGHT, HTBOTTOMRIGHT) ? HTRIGHT : HTBORDER;
    default:
        return onSide(hit, HTLEFT, HTTOPLEFT, HTBOTTOMLEFT) ? HTLEFT : HTBORDER;
    }
}

void CAppBarDialog::onMoving(RECT& rect)
{
    const POINT p = m_shell.cursorPos();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const SIZE scrollBar{GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)};
    const int edge =
        CAppBarGeometry::proposeEdge(p, GetKeyState(VK_CONTROL) < 0, m_allowed, screenRect(), work, scrollBar);
    m_proposedEdge = edge;
    rect = edge == appbar::kFloating ? CAppBarGeometry::floatingAt(p, m_state.floatRect)
                                     : dockedRect(edge, m_state.autoHide);
}

void CAppBarDialog::onSizing(UINT side, RECT& rect)
{
    rect = CAppBarGeometry::snapSizing(rect, side, m_sizeIncrement, frameSize(), m_minSize,
                                       CAppBarGeometry::maxSize(m_state.edge, screenRect()));
}

void CAppBarDialog::onExitSizeMove()
{
    const bool moving = m_moving;
    m_moving = false;
    int edge = m_proposedEdge;
    m_proposedEdge = appbar::kNone;
    if (!moving || edge == appbar::kNone)
        edge = m_state.edge;
    const RECT rect = windowRect();
    if (edge == m_state.edge && appbar::isDocked(edge))
        m_state.dockedSize[edge] = CAppBarGeometry::thicknessOf(edge, rect);
    if (edge == appbar::kFloating)
        m_state.floatRect = rect;
    applyState(edge);
}

void CAppBarDialog::onGetMinMaxInfo(MINMAXINFO& info)
{
    const int edge = m_moving && m_proposedEdge != appbar::kNone ? m_proposedEdge : m_state.edge;
    const SIZE largest = CAppBarGeometry::maxSize(edge, screenRect());
    info.ptMaxTrackSize = POINT{largest.cx, largest.cy};
    if (m_minSize.cx > 0)
        info.ptMinTrackSize = POINT{m_minSize.cx, m_minSize.cy};
}

bool CAppBarDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == m_notifyMessage && m_notifyMessage != 0) {
        onNotify(wParam, lParam);
        result = 0;
        return true;
    }
    switch (message) {
    case WM_NCHITTEST:
        result = hitTest(lParam);
        return true;
    case WM_ENTERSIZEMOVE:
        stopSlide();
        m_moving = true;
        m_proposedEdge = m_state.edge;
        break;
    case WM_MOVING:
        if (lParam)
            onMoving(*reinterpret_cast<RECT*>(lParam));
        result = TRUE;
        return true;
    case WM_SIZING:
        if (lParam)
            onSizing(static_cast<UINT>(wParam), *reinterpret_cast<RECT*>(lParam));
        result = TRUE;
        return true;
    case WM_EXITSIZEMOVE:
        onExitSizeMove();
        break;
    case WM_GETMINMAXINFO:
        if (lParam)
            onGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
        result = 0;
        return true;
    case WM_TIMER:
        if (wParam == IDT_BAR_AUTOHIDE)
            onAutoHideCheck();
        else if (wParam == IDT_BAR_SLIDE)
            onSlideStep();
        else
            break;
        result = 0;
        return true;
    case WM_NCMOUSEMOVE:
        showAutoHidden(true);
        break;
    case WM_ACTIVATE:
        // The shell wants to hear of it (it keeps auto-hide bars above other bars).
        if (m_registered) {
            APPBARDATA data{};
            data.hWnd = hwnd();
            m_shell.message(ABM_ACTIVATE, data);
        }
        if (LOWORD(wParam) == WA_INACTIVE)
            showAutoHidden(false);
        break;
    case WM_WINDOWPOSCHANGED:
        if (m_registered) {
            APPBARDATA data{};
            data.hWnd = hwnd();
            m_shell.message(ABM_WINDOWPOSCHANGED, data);
        }
        break;
    case WM_DESTROY:
        unregisterBar();
        break;
    }
    return CDialog::onMessage(message, wParam, lParam, result);
}
