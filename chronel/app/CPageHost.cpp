#include "CPageHost.h"

#include "CApplication.h"
#include "CChronelApp.h"
#include "CModule.h"
#include "CChronelProxyObj.h"
#include "CMainWnd.h"
#include "ResourceString.h"
#include "resource.h"

#include <ctime>

namespace {

constexpr wchar_t kBrowserHostClass[] = L"ChronelBrowserHost";
constexpr ULONGLONG kUnixEpochAsFileTime = 116444736000000000ull;
constexpr int kTextChars = 256;
// A time change this soon after our own correction is the system's report of it.
constexpr DWORD kOwnTimeChangeMs = 5000;

// The container window of the browser control fills the page host.
class CBrowserHostWnd : public CWnd {
protected:
    void onFinalMessage() override { delete this; }
};

void formatLocal(const SYSTEMTIME& local, std::wstring& time, std::wstring& date)
{
    wchar_t text[kTextChars] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &local, nullptr, text, kTextChars);
    time = text;
    text[0] = 0;
    GetDateFormatW(LOCALE_USER_DEFAULT, 0, &local, nullptr, text, kTextChars);
    date = text;
}

bool localTimeOf(long long unixSeconds, SYSTEMTIME& local)
{
    ULARGE_INTEGER ticks;
    ticks.QuadPart = kUnixEpochAsFileTime + static_cast<ULONGLONG>(unixSeconds) * 10000000ull;
    FILETIME utc{ticks.LowPart, ticks.HighPart}, localFile;
    return FileTimeToLocalFileTime(&utc, &localFile) && FileTimeToSystemTime(&localFile, &local);
}

} // namespace

CPageHost::CPageHost(CChronelApp& app, CMainWnd& main) : m_app(app), m_main(main)
{
    m_display.serverTime = loadString(IDS_READING);
}

CPageHost::~CPageHost() { releaseSite(); }

void CPageHost::releaseSite()
{
    if (m_site) {
        m_site->close();
        m_site->Release();
        m_site = nullptr;
    }
}

bool CPageHost::create()
{
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + (work.right - work.left - kWidth) / 2;
    const int y = work.top + (work.bottom - work.top - kHeight) / 2;
    if (!CWnd::create(0, kMainWindowClass, loadString(IDS_DISPLAY_NAME).c_str(),
                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, x, y, kWidth,
                      kHeight))
        return false;
    SetTimer(hwnd(), IDT_PAGE_REFRESH, kRefreshMs, nullptr);
    ShowWindow(hwnd(), SW_SHOWNA);
    SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

void CPageHost::onCreate()
{
    RECT client;
    GetClientRect(hwnd(), &client);
    CWnd::registerClass(kBrowserHostClass, 0, nullptr, LoadCursor(nullptr, IDC_ARROW), nullptr);
    auto* container = new CBrowserHostWnd();
    if (container->create(0, kBrowserHostClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, client.right,
                          client.bottom, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_BROWSER)))) {
        m_browserWindow = container->hwnd();
    } else {
        delete container;
    }

    CChronelProxyObj* automation = m_app.automationObject();
    if (automation)
        automation->setHostWindow(hwnd());
    if (m_browserWindow) {
        m_site = new CBrowserSite(m_browserWindow, automation);
        if (m_site->embed()) {
            m_site->navigate(CModule::folder() + L"\\Pages\\HomePage.htm");
            m_site->setVisible(true);
        }
    }
    m_app.sync().startCheck(hwnd());
}

void CPageHost::reload()
{
    if (m_site)
        m_site->refresh();
}

void CPageHost::push()
{
    if (CChronelProxyObj* automation = m_app.automationObject())
        automation->push(m_display);
}

void CPageHost::refresh()
{
    SYSTEMTIME local;
    GetLocalTime(&local);
    formatLocal(local, m_display.localTime, m_display.localDate);
    if (m_display.hasResult) {
        // The server's clock: this clock in whole seconds, less the measured offset.
        const long long serverSeconds =
            static_cast<long long>(std::time(nullptr)) - static_cast<long long>(m_display.sample.offset);
        SYSTEMTIME server;
        if (localTimeOf(serverSeconds, server))
            formatLocal(server, m_display.serverTime, m_display.serverDate);
    }
    push();
}

void CPageHost::showSample(LPARAM lParam)
{
    const auto* sample = reinterpret_cast<const SntpSample*>(lParam);
    if (!sample)
        return;
    // The application's cached sample is copied under its lock; a worker may be writing it.
    m_display.sample = sample == m_app.sync().lastSamplePointer() ? m_app.sync().lastSample() : *sample;
    m_display.hasResult = true;
    const double offset = m_display.sample.offset;
    std::wstring word;
    if (offset > 1.0)
        word = loadString(IDS_FAST);
    else if (offset < -1.0)
        word = loadString(IDS_SLOW);
    m_display.status =
        formatString(IDS_CLOCK_IS, CCorrectionHistory::correctionText(offset).c_str(), word.c_str());
    push();
}

void CPageHost::showFailure(const wchar_t* text)
{
    // The failed check dropped the sample: the refresh must not bring its time back.
    m_display.hasResult = false;
    m_display.serverTime = loadString(IDS_UNKNOWN);
    m_display.serverDate = loadString(IDS_UNABLE_TO_CONNECT);
    m_display.status = text ? text : L"";
    push();
}

void CPageHost::correctNow()
{
    m_display.correcting = true;
    m_display.serverTime = loadString(IDS_READING);
    m_display.status.clear();
    m_display.serverDate.clear();
    push();
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const int setsBefore = m_app.sync().clockSetCount();
    m_app.sync().applyCorrection();
    SetCursor(previous);
    // When the clock was set, the WM_TIMECHANGE that follows (sent by the system, perhaps
    // after this returns) is ours and ends the correction; otherwise it ends here.
    if (m_app.sync().clockSetCount() == setsBefore)
        m_display.correcting = false;
    else
        m_correctedAt = GetTickCount();
}

void CPageHost::onTimeChange()
{
    const bool ours = m_display.correcting && GetTickCount() - m_correctedAt < kOwnTimeChangeMs;
    m_display.correcting = false;
    if (ours) {
        // Our own correction: the clock now agrees with the server.
        SntpSample sample = m_app.sync().lastSample();
        sample.offset = 0;
        m_app.sync().setLastSample(sample);
        PostMessageW(hwnd(), WM_SYNC_RESULT, 0, reinterpret_cast<LPARAM>(m_app.sync().lastSamplePointer()));
        return;
    }
    // Someone else set the clock: the old offset says nothing any more, so the server's time
    // waits for the fresh check.
    m_display.hasResult = false;
    m_display.serverDate.clear();
    m_display.status.clear();
    m_display.serverTime = loadString(IDS_READING);
    push();
    m_app.sync().invalidateCache();
    m_app.sync().startCheck(hwnd());
}

void CPageHost::onDestroy()
{
    KillTimer(hwnd(), IDT_PAGE_REFRESH);
    releaseSite();
    m_main.onPageHostClosed();
}

LRESULT CPageHost::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        onCreate();
        return 0;
    case WM_SIZE:
        if (m_browserWindow)
            MoveWindow(m_browserWindow, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        if (m_site)
            m_site->resize();
        return 0;
    case WM_TIMER:
        if (wParam == IDT_PAGE_REFRESH)
            refresh();
        return 0;
    case WM_SYNC_RESULT:
        showSample(lParam);
        return 0;
    case WM_SYNC_FAILED:
        showFailure(reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    case WM_SYNC_PROGRESS:
        m_display.status = formatString(IDS_TRYING_SERVER, lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"");
        push();
        return 0;
    case WM_CLOCK_SET_FAILED:
        m_display.status = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        push();
        return 0;
    case WM_CORRECT_NOW:
        correctNow();
        return 0;
    case WM_TIMECHANGE:
        onTimeChange();
        return 0;
    case WM_DESTROY:
        onDestroy();
        return 0;
    }
    return defaultProc(message, wParam, lParam);
}
