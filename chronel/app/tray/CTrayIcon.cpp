#include "CTrayIcon.h"
#include "CModule.h"

#include "CWindowsVersion.h"
#include "ChronelSettings.h"
#include "resource.h"

#include <algorithm>

// The shell 5 form of NOTIFYICONDATAW: 936 bytes on x86, 952 on x64 (its pointers and handles
// take 8 bytes there).
static_assert(CTrayIcon::kNotifyDataSize == (sizeof(void*) == 8 ? 952 : 936),
              "the tray icon uses the shell 5 notification data");

namespace {

std::wstring replaceAmpersands(const std::wstring& text, const wchar_t* replacement, size_t maxLength)
{
    std::wstring result;
    for (wchar_t c : text) {
        if (c == L'&')
            result += replacement;
        else
            result += c;
    }
    if (result.size() > maxLength)
        result.resize(maxLength);
    return result;
}

} // namespace

CTrayIcon::CTrayIcon(ITrayIconHost& host) : m_host(host), m_refreshOnMouseMove(CWindowsVersion::majorVersion() >= 5) {}

CTrayIcon::~CTrayIcon() { remove(); }

void CTrayIcon::attach(HWND window, std::wstring displayName)
{
    m_window = window;
    m_displayName = std::move(displayName);
}

std::wstring CTrayIcon::firstTooltip(const std::wstring& displayName)
{
    // The first tooltip is shown literally, so an ampersand is spelled out.
    return replaceAmpersands(displayName, L"and", 63);
}

std::wstring CTrayIcon::refreshedTooltip(const std::wstring& displayName)
{
    return replaceAmpersands(displayName, L"&&&", 127);
}

NOTIFYICONDATAW CTrayIcon::notifyData(UINT flags) const
{
    NOTIFYICONDATAW data{};
    data.cbSize = kNotifyDataSize;
    data.hWnd = m_window;
    data.uID = ID_TRAY_ICON;
    data.uFlags = flags;
    return data;
}

bool CTrayIcon::enabled() { return settings::read(settings::kTaskBarIcon); }

bool CTrayIcon::showDateInTooltip() { return settings::read(settings::kShowDateInTooltip); }

void CTrayIcon::setShowDateInTooltip(bool on) { settings::write(settings::kShowDateInTooltip, on); }

bool CTrayIcon::addIfEnabled()
{
    if (!enabled())
        return false;
    return add();
}

bool CTrayIcon::add()
{
    if (!m_window)
        return false;
    if (isAdded())
        return true;
    CIcon icon(static_cast<HICON>(
        LoadImageW(CModule::instance(), MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON, 16, 16, 0)));
    if (!icon)
        return false;
    NOTIFYICONDATAW data = notifyData(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.uCallbackMessage = WM_TRAY_CALLBACK;
    data.hIcon = icon.get();
    const std::wstring tip = firstTooltip(m_displayName);
    lstrcpynW(data.szTip, tip.c_str(), ARRAYSIZE(data.szTip));
    if (!Shell_NotifyIconW(NIM_ADD, &data))
        return false;
    m_icon = std::move(icon);
    m_tooltip = tip;
    return true;
}

void CTrayIcon::remove()
{
    if (!isAdded())
        return;
    NOTIFYICONDATAW data = notifyData(0);
    Shell_NotifyIconW(NIM_DELETE, &data);
    m_icon.reset();
    m_tooltip.clear();
}

bool CTrayIcon::setTaskBarIcon(bool shown)
{
    settings::write(settings::kTaskBarIcon, shown);
    if (shown)
        return add();
    remove();
    return true;
}

bool CTrayIcon::restoreImage()
{
    if (!isAdded())
        return false;
    NOTIFYICONDATAW data = notifyData(NIF_ICON);
    data.hIcon = m_icon.get();
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool CTrayIcon::refreshTooltip()
{
    if (!isAdded())
        return false;
    const std::wstring tip = refreshedTooltip(m_displayName);
    NOTIFYICONDATAW data = notifyData(NIF_TIP);
    lstrcpynW(data.szTip, tip.c_str(), ARRAYSIZE(data.szTip));
    if (!Shell_NotifyIconW(NIM_MODIFY, &data))
        return false;
    m_tooltip = tip;
    return true;
}

void CTrayIcon::onCallback(WPARAM wParam, LPARAM lParam)
{
    if (wParam != ID_TRAY_ICON)
        return;
    switch (static_cast<UINT>(lParam)) {
    case WM_RBUTTONUP:
        showMenu();
        break;
    case WM_LBUTTONDBLCLK:
        SetForegroundWindow(m_window);
        m_host.openPageHost();
        break;
    case WM_MOUSEMOVE:
        if (m_refreshOnMouseMove)
            refreshTooltip();
        break;
    default:
        break;
    }
}

bool CTrayIcon::onCommand(UINT id)
{
    switch (id) {
    case ID_TRAY_SETTINGS:
        m_host.openPageHost();
        return true;
    case ID_TRAY_EXIT:
        m_host.exitApplication();
        return true;
    default:
        return false;
    }
}

void CTrayIcon::showMenu()
{
    CMenu menu(LoadMenuW(CModule::instance(), MAKEINTRESOURCEW(IDR_TRAY_MENU)));
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup)
        return;
    POINT cursor{};
    GetCursorPos(&cursor);
    // A menu of a window that is not in the foreground does not close when the user clicks
    // elsewhere; the WM_NULL afterwards lets the next click on the icon open it again.
    SetForegroundWindow(m_window);
    TrackPopupMenu(popup, TPM_LEFTBUTTON, cursor.x, cursor.y, 0, m_window, nullptr);
    PostMessageW(m_window, WM_NULL, 0, 0);
}
