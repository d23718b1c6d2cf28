#pragma once
// WM_BALLOON_REQUEST: another suite component (the vault) asks for a balloon at the tray
// icon. The request block and its texts belong to the sender; they are checked before use,
// since a sender in another process or a careless one could pass any address.

#include "BalloonRequest.h"
#include "CBalloonWnd.h"

#include <windows.h>

#include <string>

class CTrayIcon;
class CTrayIconLocator;

class CBalloonRequestHandler {
public:
    CBalloonRequestHandler(CTrayIcon& trayIcon, CTrayIconLocator& locator);

    // 1 when a balloon was shown; 0 when the request was refused (no block, a block or text
    // that cannot be read, no title and no text) or no balloon could be made.
    LRESULT onBalloonRequest(HWND mainWindow, WPARAM kind, LPARAM lParam);

    // IDI_WARNING for partial success, IDI_HAND for failure, IDI_INFORMATION otherwise.
    static LPCWSTR iconForKind(WPARAM kind);

    static constexpr DWORD kOptions =
        CBalloonWnd::kCloseButton | CBalloonWnd::kDoubleFrame | CBalloonWnd::kTopmost | CBalloonWnd::kAutoDelete;
    // Longer texts are cut; no balloon has room for more.
    static constexpr size_t kMaxTextLength = 1024;

private:
    CTrayIcon& m_trayIcon;
    CTrayIconLocator& m_locator;
};
