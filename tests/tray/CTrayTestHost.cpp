#include "CTrayTestHost.h"

#include "CBalloonWnd.h"
#include "resource.h"

#include <algorithm>

namespace {
constexpr wchar_t kHostClass[] = L"VelmoraTrayTestHost";

struct BalloonSearch {
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK collectBalloon(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<BalloonSearch*>(data);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    const bool balloon = lstrcmpW(className, CBalloonWnd::kShadowClass) == 0
        || lstrcmpW(className, CBalloonWnd::kNoShadowClass) == 0;
    if (balloon && (!search->owner || GetWindow(window, GW_OWNER) == search->owner))
        search->found.push_back(window);
    return TRUE;
}
} // namespace

CTrayTestHost::CTrayTestHost(std::wstring displayName, CTrayIconLocator::Clock clock)
    : tray(*this), locator(std::move(clock)), balloons(tray, locator), m_displayName(std::move(displayName))
{
}

CTrayTestHost::~CTrayTestHost() { destroy(); }

bool CTrayTestHost::create()
{
    CWnd::registerClass(kHostClass);
    return CWnd::create(0, kHostClass, L"TrayTestHost", WS_POPUP, 0, 0, 0, 0);
}

LRESULT CTrayTestHost::requestBalloon(WPARAM kind, BalloonRequest& request)
{
    return SendMessageW(hwnd(), WM_BALLOON_REQUEST, kind, reinterpret_cast<LPARAM>(&request));
}

int CTrayTestHost::received(UINT message) const
{
    return static_cast<int>(std::count(m_messages.begin(), m_messages.end(), message));
}

LRESULT CTrayTestHost::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    m_messages.push_back(message);
    switch (message) {
    case WM_CREATE:
        tray.attach(hwnd(), m_displayName);
        tray.addIfEnabled();
        locator.attach(hwnd(), ID_TRAY_ICON);
        return 0;
    case WM_TRAY_CALLBACK:
        tray.onCallback(wParam, lParam);
        return 0;
    case WM_BALLOON_REQUEST:
        return balloons.onBalloonRequest(hwnd(), wParam, lParam);
    case WM_COMMAND:
        if (tray.onCommand(LOWORD(wParam)))
            return 0;
        break;
    case WM_DESTROY:
        tray.remove();
        return 0;
    default:
        break;
    }
    return defaultProc(message, wParam, lParam);
}

std::vector<HWND> balloonWindowsOf(HWND owner)
{
    BalloonSearch search{owner, {}};
    EnumThreadWindows(GetCurrentThreadId(), collectBalloon, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

CBalloonWnd* balloonObject(HWND window) { return dynamic_cast<CBalloonWnd*>(CWnd::fromHandle(window)); }

void closeAllBalloons()
{
    for (HWND window : balloonWindowsOf(nullptr))
        DestroyWindow(window);
}
