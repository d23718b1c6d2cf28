#pragma once
// Finds where the tray icon is drawn on the screen, so that a balloon can point at it. The
// shell of the older systems offers no call for that: the locator shows a solid black probe
// image in the icon's place, searches the notification area's pixels for it and keeps the
// position found for a while.

#include "CPixelGrid.h"
#include "UniqueHandle.h"

#include <windows.h>

#include <functional>
#include <optional>

class CTrayIconLocator {
public:
    // Milliseconds from a clock that never jumps (GetTickCount by default).
    using Clock = std::function<DWORD()>;

    explicit CTrayIconLocator(Clock clock = {});
    CTrayIconLocator(const CTrayIconLocator&) = delete;
    CTrayIconLocator& operator=(const CTrayIconLocator&) = delete;

    // The tray icon's owner window and identifier; builds the probe icon. Done when the main
    // window has been created.
    void attach(HWND window, UINT iconId);

    // The screen point a balloon should point at, or nothing while no window is attached.
    // Mode 1, 2 or 3 accepts a cached position up to 60, 30 or 10 seconds old; 0 (or any
    // other value) means the default mode 3. The probe may be left in the icon's place: the
    // caller puts the real image back.
    std::optional<POINT> locate(int mode = 0);

    // How many times locate searched the screen rather than answering from the cache.
    int searches() const { return m_searches; }
    HICON probeIcon() const { return m_probe.get(); }
    const RECT& trayRect() const { return m_trayRect; }

    // The notification area's screen rectangle ("TrayNotifyWnd" in "Shell_TrayWnd", else the
    // taskbar itself), or 40 x 20 pixels at the bottom-right corner of the screen without a
    // taskbar.
    static RECT notificationArea();
    // Rows from 3 pixels above the bottom of `area` up to its top, each left to right: the
    // first run of more than 8 pixels that are near black together with the pixels two rows
    // above and below them gives (column - 1, row - 6). `pixels` should cover `area` and the
    // two rows above it.
    static std::optional<POINT> scan(const CPixelGrid& pixels, const RECT& area);
    // Where a balloon points when the probe was not found.
    static POINT fallbackAnchor(const RECT& area, const OSVERSIONINFOW& version);

    static constexpr int kDefaultMode = 3;

private:
    std::optional<POINT> search(const RECT& area);
    bool showProbe() const;

    Clock m_clock;
    HWND m_window = nullptr;
    UINT m_iconId = 0;
    CIcon m_probe;
    RECT m_trayRect{};
    POINT m_anchor{};
    bool m_haveAnchor = false;
    DWORD m_lastFound = 0;
    int m_searches = 0;
    OSVERSIONINFOW m_version{};
};
