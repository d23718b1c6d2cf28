#pragma once
// The main window's icon in the taskbar's notification area: identifier 256, callback message
// WM_TRAY_CALLBACK, image icon 129 at 16 x 16, the display name as tooltip, and the menu of
// resource 130. The main window forwards the shell's callbacks and its menu commands here.

#include "ITrayIconHost.h"
#include "UniqueHandle.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

class CTrayIcon {
public:
    explicit CTrayIcon(ITrayIconHost& host);
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // The owning window and the name its tooltip shows; called when the main window is created.
    void attach(HWND window, std::wstring displayName);

    // Adds the icon unless the TaskBarIcon setting is 0 (a missing value counts as 1).
    bool addIfEnabled();
    bool add();
    void remove();
    bool isAdded() const { return m_icon.valid(); }
    // TaskBarIcon changed through the automation object: store it, then add or remove the icon.
    bool setTaskBarIcon(bool shown);

    // TaskBarIcon and ShowDateInTooltip as stored; the date setting is only kept for the
    // pages, the tooltip does not depend on it.
    static bool enabled();
    static bool showDateInTooltip();
    static void setShowDateInTooltip(bool on);

    // Puts the icon's own image back after the locator showed its probe in its place.
    bool restoreImage();
    bool refreshTooltip();

    // WM_TRAY_CALLBACK: wParam is the icon's identifier, lParam the mouse message.
    void onCallback(WPARAM wParam, LPARAM lParam);
    // WM_COMMAND from the tray menu; false for any other command.
    bool onCommand(UINT id);
    void showMenu();

    HWND window() const { return m_window; }
    // The tooltip last handed to the shell.
    const std::wstring& tooltip() const { return m_tooltip; }

    // The first tooltip: every "&" becomes "and", at most 63 characters.
    static std::wstring firstTooltip(const std::wstring& displayName);
    // The tooltip after the mouse moved over the icon: every "&" becomes "&&&", at most 127.
    static std::wstring refreshedTooltip(const std::wstring& displayName);

    // The shell 5 form of NOTIFYICONDATAW, which every system since Windows 2000 accepts.
    static constexpr DWORD kNotifyDataSize = NOTIFYICONDATAW_V2_SIZE;

private:
    NOTIFYICONDATAW notifyData(UINT flags) const;
    bool setTooltip(DWORD message, UINT flags, const std::wstring& tip);

    ITrayIconHost& m_host;
    HWND m_window = nullptr;
    std::wstring m_displayName;
    std::wstring m_tooltip;
    CIcon m_icon; // held while the icon is in the notification area
    // Tooltip refreshes on mouse moves happen on systems of major version 5 or later.
    bool m_refreshOnMouseMove = true;
};
