#include "CTimeZoneBar.h"

#include "CApplication.h"
#include "CModule.h"
#include "ResourceString.h"
#include "ZoneBarSettings.h"

#include "resource.h"

#include <windowsx.h>

namespace {

constexpr int kIconSize = 16;

SIZE sizeOf(const RECT& r) { return SIZE{r.right - r.left, r.bottom - r.top}; }

// A control's rectangle in its dialog's client coordinates.
RECT childRect(HWND dialog, HWND child)
{
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HICON loadIcon(UINT id)
{
    return static_cast<HICON>(
        LoadImageW(CModule::instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, kIconSize, kIconSize, LR_DEFAULTCOLOR));
}

// A stored switch as it stands, or, when never stored, the copy in "TimeZoneBarData" or else
// the taskbar's (where the bar may follow it), which is then stored as the user's choice.
bool initialSwitch(const settings::Flag& flag, bool inData, bool dataValue, bool taskbarAllowed, bool taskbarValue)
{
    bool on = flag.fallback;
    if (settings::readStored(flag, on))
        return on;
    on = inData ? dataValue : (taskbarAllowed ? taskbarValue : flag.fallback);
    settings::write(flag, on);
    return on;
}

} // namespace

CTimeZoneBar::CTimeZoneBar(IAppBarShell& shell, IDispatch* external, std::function<void(bool byUser)> closed)
    : CAppBarDialog(IDD_TIMEZONE_BAR, shell), m_external(external), m_closed(std::move(closed))
{
}

CTimeZoneBar::~CTimeZoneBar()
{
    if (hwnd() && !m_closing) {
        m_closing = true;
        saveAndLetGo(false);
    }
    releaseBrowser();
}

std::wstring CTimeZoneBar::pageUrl() { return CModule::folder() + L"\\Pages\\" + L"Time\\TimeZoneBar.htm"; }

bool CTimeZoneBar::open(HWND owner)
{
    if (hwnd())
        return true;
    m_closing = false;
    m_reportClosed = false;
    if (!createModeless(owner) || !hwnd())
        return false;
    if (CApplication* app = CApplication::current())
        app->addModeless(hwnd());

    size_t storedWords = 0;
    AppBarState state = storedState(measure(kAllowed), storedWords);
    registerBar();

    // Word 2 of the data is AutoHide, word 3 AlwaysOnTop.
    const UINT taskbar = taskbarState();
    state.autoHide = initialSwitch(settings::kTimeZoneBarAutoHide, storedWords > 2, state.autoHide,
                                   (kAllowed & appbar::kAllowAutoHide) != 0, (taskbar & ABS_AUTOHIDE) != 0);
    state.alwaysOnTop = initialSwitch(settings::kTimeZoneBarAlwaysOnTop, storedWords > 3, state.alwaysOnTop,
                                      (kAllowed & appbar::kAllowAlwaysOnTop) != 0, (taskbar & ABS_ALWAYSONTOP) != 0);
    setInitialState(state);

    embedBrowser();
    applyState(state.edge);
    if (!hwnd())
        return false; // closed while the refusal's message box was up
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    if (m_site)
        m_site->navigate(pageUrl());
    return true;
}

AppBarState CTimeZoneBar::storedState(const AppBarState& defaults, size_t& storedWords)
{
    AppBarState s = settings::readBarState(defaults, &storedWords);
    // Only what this bar can show is taken; anything else keeps its default.
    if (!appbar::edgeAllowed(s.edge, kAllowed) || s.edge == appbar::kNone)
        s.edge = defaults.edge;
    for (int edge = appbar::kLeft; edge <= appbar::kBottom; ++edge) {
        if (s.dockedSize[edge] <= 0)
            s.dockedSize[edge] = defaults.dockedSize[edge];
    }
    if (IsRectEmpty(&s.floatRect))
        s.floatRect = defaults.floatRect;
    return s;
}

bool CTimeZoneBar::onInitDialog()
{
    m_pinIn.reset(loadIcon(IDI_PIN_IN));
    m_pinOut.reset(loadIcon(IDI_PIN_OUT));
    // The template gives the buttons' sizes and the close button's margin.
    const RECT close = childRect(hwnd(), item(IDC_BAR_CLOSE));
    m_closeSize = sizeOf(close);
    m_closeLeft = close.left;
    m_pinSize = sizeOf(childRect(hwnd(), item(IDC_BAR_PIN)));
    // The bar takes no focus of its own when it appears.
    return false;
}

void CTimeZoneBar::layout()
{
    if (!hwnd())
        return;
    RECT client{};
    GetClientRect(hwnd(), &client);
    const HWND close = item(IDC_BAR_CLOSE);
    const HWND pin = item(IDC_BAR_PIN);
    const HWND browser = item(IDC_BAR_BROWSER);
    if (appbar::isDocked(state().edge)) {
        const int closeTop = (client.bottom - m_closeSize.cy) / 2;
        SetWindowPos(close, nullptr, m_closeLeft, closeTop, m_closeSize.cx, m_closeSize.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        const int pinLeft = m_closeLeft + m_closeSize.cx + kButtonGap;
        SetWindowPos(pin, nullptr, pinLeft, (client.bottom - m_pinSize.cy) / 2, m_pinSize.cx, m_pinSize.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        const int pageLeft = pinLeft + m_pinSize.cx + GetSystemMetrics(SM_CXVSCROLL) / 2 + kButtonGap;
        MoveWindow(browser, pageLeft, 0, client.right > pageLeft ? client.right - pageLeft : 0, client.bottom, TRUE);
    } else {
        ShowWindow(close, SW_HIDE);
        ShowWindow(pin, SW_HIDE);
        MoveWindow(browser, 0, 0, client.right, client.bottom, TRUE);
    }
    if (m_site)
        m_site->resize();
}

void CTimeZoneBar::embedBrowser()
{
    const HWND container = item(IDC_BAR_BROWSER);
    if (!container || m_site)
        return;
    m_site = TComPtr<CBrowserSite>::attach(new CBrowserSite(container, m_external.get()));
    if (!m_site->embed()) {
        releaseBrowser();
        return;
    }
    m_site->setVisible(true);
}

void CTimeZoneBar::releaseBrowser()
{
    if (!m_site)
        return;
    m_site->close();
    m_site.reset();
}

void CTimeZoneBar::toggleAutoHide() { changeAutoHide(!state().autoHide); }

void CTimeZoneBar::toggleAlwaysOnTop() { changeAlwaysOnTop(!state().alwaysOnTop); }

void CTimeZoneBar::changeAutoHide(bool on)
{
    settings::write(settings::kTimeZoneBarAutoHide, on);
    CAppBarDialog::changeAutoHide(on);
    if (hwnd())
        InvalidateRect(item(IDC_BAR_PIN), nullptr, TRUE);
}

void CTimeZoneBar::changeAlwaysOnTop(bool on)
{
    settings::write(settings::kTimeZoneBarAlwaysOnTop, on);
    CAppBarDialog::changeAlwaysOnTop(on);
}

void CTimeZoneBar::onAutoHideRefused()
{
    // Stored off too: otherwise the next applySettings would ask the shell again.
    settings::write(settings::kTimeZoneBarAutoHide, false);
    InvalidateRect(item(IDC_BAR_PIN), nullptr, TRUE);
    MessageBoxW(hwnd(), loadString(IDS_AUTOHIDE_TAKEN).c_str(), loadString(kAppTitleStringId).c_str(),
                MB_OK | MB_ICONINFORMATION);
}

void CTimeZoneBar::applySettings()
{
    if (!hwnd())
        return;
    const bool autoHide = settings::read(settings::kTimeZoneBarAutoHide);
    const bool alwaysOnTop = settings::read(settings::kTimeZoneBarAlwaysOnTop);
    if (autoHide != state().autoHide)
        toggleAutoHide();
    if (hwnd() && alwaysOnTop != state().alwaysOnTop)
        toggleAlwaysOnTop();
}

CMenu CTimeZoneBar::contextMenu() const
{
    CMenu menu(LoadMenuW(CModule::instance(), MAKEINTRESOURCEW(IDR_BAR_MENU)));
    if (HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr) {
        CheckMenuItem(popup, ID_BAR_ALWAYS_ON_TOP, MF_BYCOMMAND | (state().alwaysOnTop ? MF_CHECKED : MF_UNCHECKED));
        CheckMenuItem(popup, ID_BAR_AUTOHIDE, MF_BYCOMMAND | (state().autoHide ? MF_CHECKED : MF_UNCHECKED));
    }
    return menu;
}

void CTimeZoneBar::showContextMenu(LPARAM at)
{
    POINT p{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1) {
        // From the keyboard: at the bar's corner.
        RECT r{};
        GetWindowRect(hwnd(), &r);
        p = POINT{r.left, r.top};
    }
    const CMenu menu = contextMenu();
    const HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup)
        return;
    // Without the foreground the menu would not close on a click elsewhere.
    SetForegroundWindow(hwnd());
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, p.x, p.y, 0, hwnd(), nullptr));
    PostMessageW(hwnd(), WM_NULL, 0, 0);
    if (command)
        onCommand(command, 0, nullptr);
}

void CTimeZoneBar::onDrawItem(const DRAWITEMSTRUCT& item)
{
    if (item.CtlID == IDC_BAR_CLOSE)
        m_painter.drawClose(item);
    else if (item.CtlID == IDC_BAR_PIN)
        m_painter.drawPin(item, state().autoHide ? m_pinIn.get() : m_pinOut.get(), state().autoHide);
}

bool CTimeZoneBar::onCommand(UINT id, UINT code, HWND control)
{
    // Nothing may touch the object after close(): its callback may have deleted it.
    switch (id) {
    case IDC_BAR_CLOSE:
        if (code == BN_CLICKED)
            close(true);
        return true;
    case IDC_BAR_PIN:
        if (code == BN_CLICKED)
            toggleAutoHide();
        return true;
    case ID_BAR_ALWAYS_ON_TOP:
        toggleAlwaysOnTop();
        return true;
    case ID_BAR_AUTOHIDE:
        toggleAutoHide();
        return true;
    case ID_BAR_CLOSE:
        close(true);
        return true;
    case IDOK:
    case IDCANCEL:
        // Enter and Escape do not close the bar.
        return true;
    }
    return CAppBarDialog::onCommand(id, code, control);
}

bool CTimeZoneBar::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_DRAWITEM:
        if (lParam)
            onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    case WM_CONTEXTMENU:
        showContextMenu(lParam);
        result = 0;
        return true;
    case WM_SIZE:
        layout();
        break;
    case WM_CLOSE:
        close(true);
        result = 0;
        return true;
    case WM_DESTROY:
        // Destroyed by someone else (its owner going): the application's closing.
        if (!m_closing) {
            m_closing = true;
            saveAndLetGo(false);
            m_reportClosed = true;
            m_closedByUser = false;
        }
        break;
    }
    return CAppBarDialog::onMessage(message, wParam, lParam, result);
}

void CTimeZoneBar::saveAndLetGo(bool byUser)
{
    if (byUser)
        settings::write(settings::kTimeZoneBar, false);
    settings::writeBarState(state());
    releaseBrowser();
    unregisterBar();
    if (CApplication* app = CApplication::current())
        app->removeModeless(hwnd());
}

void CTimeZoneBar::close(bool byUser)
{
    if (!hwnd() || m_closing)
        return;
    m_closing = true;
    saveAndLetGo(byUser);
    m_reportClosed = true;
    m_closedByUser = byUser;
    // onFinalMessage tells the owner, once the window is gone.
    DestroyWindow(hwnd());
}

void CTimeZoneBar::onFinalMessage()
{
    m_closing = false;
    if (!m_reportClosed)
        return;
    m_reportClosed = false;
    // The callback may delete this object: copies first, nothing after.
    const auto closed = m_closed;
    const bool byUser = m_closedByUser;
    if (closed)
        closed(byUser);
}
