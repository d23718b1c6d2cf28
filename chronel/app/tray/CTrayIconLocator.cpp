#include "CTrayIconLocator.h"
#include "CModule.h"

#include <shellapi.h>

#include <algorithm>
#include <array>

namespace {

// How long a found position stays good in modes 1, 2 and 3, in seconds.
constexpr std::array<DWORD, 3> kMaxAge{60, 30, 10};

// The tray draws icons at the small-icon size; a solid black 32 x 32 image stays a solid
// black square there, large enough for the search (a run of 9 pixels over 5 rows).
constexpr int kProbeSize = 32;
constexpr BYTE kProbeAndMask[kProbeSize * kProbeSize / 8] = {}; // opaque everywhere
constexpr BYTE kProbeXorMask[kProbeSize * kProbeSize / 8] = {}; // black everywhere

// The shell repaints the icon on its own thread; the search looks again a few times before it
// gives up.
constexpr int kCaptureAttempts = 4;
constexpr DWORD kCaptureRetryMs = 50;

} // namespace

CTrayIconLocator::CTrayIconLocator(Clock clock) : m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] { return GetTickCount(); };
    m_version.dwOSVersionInfoSize = sizeof m_version;
    GetVersionExW(&m_version);
}

void CTrayIconLocator::attach(HWND window, UINT iconId)
{
    m_window = window;
    m_iconId = iconId;
    m_probe.reset(CreateIcon(CModule::instance(), kProbeSize, kProbeSize, 1, 1, kProbeAndMask, kProbeXorMask));
}

std::optional<POINT> CTrayIconLocator::locate(int mode)
{
    if (!m_window || !m_iconId)
        return std::nullopt;
    if (mode < 1 || mode > static_cast<int>(kMaxAge.size()))
        mode = kDefaultMode;
    // Unsigned difference of the tick counts stays right across their wrap-around.
    if (m_haveAnchor && m_clock() - m_lastFound < kMaxAge[static_cast<size_t>(mode - 1)] * 1000)
        return m_anchor;

    ++m_searches;
    m_trayRect = notificationArea();
    if (showProbe()) {
        if (auto found = search(m_trayRect)) {
            m_anchor = *found;
            m_lastFound = m_clock();
            m_haveAnchor = true;
            return m_anchor;
        }
    }
    // Not cached: the next request searches again.
    return fallbackAnchor(m_trayRect, m_version);
}

bool CTrayIconLocator::showProbe() const
{
    if (!m_probe)
        return false;
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data.hWnd = m_window;
    data.uID = m_iconId;
    data.uFlags = NIF_ICON;
    data.hIcon = m_probe.get();
    // Without our icon in the tray there is nothing to find, and a search could only match
    // some other black image.
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

std::optional<POINT> CTrayIconLocator::search(const RECT& area)
{
    // The scan looks two rows above each row; those come from the screen too, as far as the
    // screen reaches.
    const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT wanted{area.left, area.top - 2, area.right, area.bottom};
    RECT captured{};
    if (!IntersectRect(&captured, &wanted, &screen))
        return std::nullopt;

    // Have the taskbar paint the probe now rather than when its thread gets round to it.
    if (HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr))
        RedrawWindow(taskbar, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);

    for (int attempt = 0; attempt < kCaptureAttempts; ++attempt) {
        if (attempt > 0)
            Sleep(kCaptureRetryMs);
        CScreenDc screenDc(GetDC(nullptr));
        const CPixelGrid pixels = CPixelGrid::capture(screenDc.get(), captured);
        if (pixels.empty())
            return std::nullopt;
        if (auto found = scan(pixels, area))
            return found;
    }
    return std::nullopt;
}

RECT CTrayIconLocator::notificationArea()
{
    RECT area{};
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar) {
        const int width = GetSystemMetrics(SM_CXSCREEN);
        const int height = GetSystemMetrics(SM_CYSCREEN);
        return RECT{width - 40, height - 20, width, height};
    }
    // Taskbars without a separate notification window (Wine's) hold the icons themselves.
    HWND notify = FindWindowExW(taskbar, nullptr, L"TrayNotifyWnd", nullptr);
    GetWindowRect(notify ? notify : taskbar, &area);
    return area;
}

std::optional<POINT> CTrayIconLocator::scan(const CPixelGrid& pixels, const RECT& area)
{
    for (int row = area.bottom - 3; row >= area.top; --row) {
        int run = 0;
        for (int column = area.left; column < area.right; ++column) {
            const bool counts = pixels.isNearBlack(column, row) && pixels.isNearBlack(column, row - 2)
                && pixels.isNearBlack(column, row + 2);
            run = counts ? run + 1 : 0;
            if (run > 8)
                return POINT{column - 1, row - 6};
        }
    }
    return std::nullopt;
}

POINT CTrayIconLocator::fallbackAnchor(const RECT& area, const OSVERSIONINFOW& version)
{
    POINT anchor{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    // From Windows 2000 on the clock sits at the right of the notification area and the icons
    // start at its left.
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5)
        anchor.x = area.left + 6;
    return anchor;
}
