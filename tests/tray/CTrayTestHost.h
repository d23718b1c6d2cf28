#pragma once
// A hidden window that holds the tray icon, the locator and the balloon request handler the
// way the main window does, and records what the tray asks of it.

#include "CBalloonRequestHandler.h"
#include "CTrayIcon.h"
#include "CTrayIconLocator.h"
#include "CWnd.h"
#include "ITrayIconHost.h"

#include <string>
#include <vector>

class CTrayTestHost : public CWnd, public ITrayIconHost {
public:
    explicit CTrayTestHost(std::wstring displayName = L"Orvel.Cofferix", CTrayIconLocator::Clock clock = {});
    ~CTrayTestHost() override;

    // Creates the window; its WM_CREATE adds the icon (unless TaskBarIcon is 0) and attaches
    // the locator.
    bool create();

    LRESULT requestBalloon(WPARAM kind, BalloonRequest& request);
    // How many of the window's messages were `message`.
    int received(UINT message) const;

    void openPageHost() override { ++pageHostOpened; }
    void exitApplication() override { ++exitRequested; }

    CTrayIcon tray;
    CTrayIconLocator locator;
    CBalloonRequestHandler balloons;
    int pageHostOpened = 0;
    int exitRequested = 0;

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::wstring m_displayName;
    std::vector<UINT> m_messages;
};

// The balloon windows of this thread owned by `owner` (any owner when null).
std::vector<HWND> balloonWindowsOf(HWND owner);
class CBalloonWnd;
CBalloonWnd* balloonObject(HWND window);
// Destroys every balloon window of this thread.
void closeAllBalloons();
