#include "CClockSync.h"

#include "CCheckSchedule.h"
#include "CRegistryKey.h"
#include "ChronelSettings.h"
#include "CWindowsVersion.h"
#include "CWinsockScope.h"
#include "ResourceString.h"
#include "TimeText.h"
#include "resource.h"

#include <shlwapi.h>

#include <cmath>
#include <cwchar>
#include <cwctype>

namespace {

constexpr DWORD kCacheSeconds = 3600;
constexpr double kCorrectionThreshold = 1.0;
constexpr double kTicksPerSecond = 10000000.0;

} // namespace

CClockSync::CClockSync(IClockSetter& clock)
    : m_clock(clock), m_isOnline([this] { return m_connectivity.isOnline(); }), m_updateCheck([] {})
{
    setDisplayName(L"");
}

CClockSync::~CClockSync()
{
    if (m_worker)
        WaitForSingleObject(m_worker.get(), INFINITE);
}

void CClockSync::setDisplayName(const std::wstring& name)
{
    m_displayName = name;
    m_textNoWinsock = loadString(IDS_NO_WINSOCK);
    m_textWinsockTooOld = formatString(IDS_WINSOCK_TOO_OLD, name.c_str());
    m_textNoServer = loadString(IDS_NEED_INTERNET);
}

SntpSample CClockSync::lastSample() const
{
    std::lock_guard<std::mutex> guard(m_sampleLock);
    return m_lastSample;
}

void CClockSync::setLastSample(const SntpSample& sample)
{
    std::lock_guard<std::mutex> guard(m_sampleLock);
    m_lastSample = sample;
}

void CClockSync::invalidateCache()
{
    std::lock_guard<std::mutex> guard(m_sampleLock);
    m_lastSample.arrival = NtpTimestamp{};
}

bool CClockSync::workerRunning() const
{
    return m_worker && WaitForSingleObject(m_worker.get(), 0) == WAIT_TIMEOUT;
}

bool CClockSync::waitForWorker(DWORD ms) const
{
    return !m_worker || WaitForSingleObject(m_worker.get(), ms) != WAIT_TIMEOUT;
}

void CClockSync::postToNotify(UINT message, LPARAM lParam) const
{
    if (m_notifyWindow && IsWindow(m_notifyWindow))
        PostMessageW(m_notifyWindow, message, 0, lParam);
}

void CClockSync::postToMain(UINT message, WPARAM wParam) const
{
    if (m_mainWindow && IsWindow(m_mainWindow))
        PostMessageW(m_mainWindow, message, wParam, 0);
}

void CClockSync::startCheck(HWND window)
{
    m_notifyWindow = window;
    const SntpSample cached = lastSample();
    if (!cached.arrival.isZero()) {
        // Age of the sample in whole seconds, by the same clock that dated it.
        const double age = NtpTimestamp::difference(NtpTimestamp::now(), cached.arrival);
        if (age >= 0 && static_cast<DWORD>(age) < kCacheSeconds) {
            postToNotify(WM_SYNC_RESULT, reinterpret_cast<LPARAM>(&m_lastSample));
            return;
        }
    }
    if (workerRunning())
        return; // the running worker reports to the new notify window
    HANDLE thread = CreateThread(nullptr, 0, &CClockSync::workerMain, this, 0, nullptr);
    if (thread) {
        m_worker.reset(thread);
        ++m_workersStarted;
    }
}

DWORD WINAPI CClockSync::workerMain(void* self)
{
    try {
        static_cast<CClockSync*>(self)->checkNow();
    } catch (...) {
        // Nothing may leave a thread procedure; the window simply gets no result.
    }
    return 0;
}

void CClockSync::fail(const std::wstring* text)
{
    m_statusText = text->c_str();
    postToNotify(WM_SYNC_FAILED, reinterpret_cast<LPARAM>(m_statusText));
}

bool CClockSync::runQuery(SntpSample& sample)
{
    CSntpClient client;
    client.setOnlineHook(m_isOnline);
    // The server's text goes to the window that started the check, sent so that the text
    // outlives the handler.
    client.setProgressHook([this](const std::wstring& server) {
        HWND window = m_notifyWindow;
        if (window && IsWindow(window))
            SendMessageW(window, WM_SYNC_PROGRESS, 0, reinterpret_cast<LPARAM>(server.c_str()));
    });
    return client.query(sample, m_port);
}

bool CClockSync::checkNow()
{
    CWinsockScope winsock(1, 1);
    if (!winsock.started()) {
        fail(&m_textNoWinsock);
        return false;
    }
    if (LOBYTE(winsock.version()) != 1 || HIBYTE(winsock.version()) != 1) {
        fail(&m_textWinsockTooOld);
        return false;
    }
    SntpSample sample;
    const bool answered = runQuery(sample);
    setLastSample(sample); // zeroed when no server answered
    if (!answered) {
        fail(&m_textNoServer);
        return false;
    }
    m_updateCheck();
    postToNotify(WM_SYNC_RESULT, reinterpret_cast<LPARAM>(&m_lastSample));
    return true;
}

bool CClockSync::checkAndCorrect()
{
    if (checkNow()) {
        applyCorrection();
        return true;
    }
    postToMain(WM_SYNC_BUSY, 1);
    postToNotify(WM_SYNC_FAILED, reinterpret_cast<LPARAM>(m_statusText));
    return false;
}

bool CClockSync::setClock(double offset)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    // 100 ns units, truncated toward zero; a negative offset (a slow clock) moves it forward.
    const auto shift = static_cast<long long>(offset * kTicksPerSecond);
    ticks.QuadPart = static_cast<ULONGLONG>(static_cast<long long>(ticks.QuadPart) - shift);
    FILETIME corrected{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utc;
    if (!FileTimeToSystemTime(&corrected, &utc) || !m_clock.setSystemTime(utc))
        return false;
    ++m_clockSets;
    return true;
}

bool CClockSync::applyCorrection()
{
    postToMain(WM_SYNC_BUSY, 0);
    SntpSample sample = lastSample();
    if (!sample.hasResult()) {
        // No sample yet: query now; the result reaches the window, the clock waits for the
        // next pass.
        if (checkNow())
            return true;
        postToMain(WM_SYNC_BUSY, 1);
        postToNotify(WM_SYNC_FAILED, reinterpret_cast<LPARAM>(m_statusText));
        return false;
    }
    if (std::fabs(sample.offset) < kCorrectionThreshold) {
        CCheckSchedule::recordCheck(m_mainWindow);
        return true;
    }
    if (!setClock(sample.offset)) {
        if (m_notifyWindow && IsWindow(m_notifyWindow)) {
            const std::wstring text = formatString(IDS_CLOCK_NOT_SET, m_displayName.c_str());
            SendMessageW(m_notifyWindow, WM_CLOCK_SET_FAILED, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        return false;
    }
    if (!CWindowsVersion::isNtFamily() || CWindowsVersion::majorVersion() < 5) {
        // Earlier systems do not tell the windows that the time changed.
        SendMessageTimeoutW(HWND_BROADCAST, WM_TIMECHANGE, 0, 0, SMTO_ABORTIFHUNG, 1000, nullptr);
        HWND pageHost = m_pageHost ? m_pageHost() : nullptr;
        HWND target = pageHost ? pageHost : m_mainWindow;
        if (target && IsWindow(target))
            PostMessageW(target, WM_TIMECHANGE, 0, 0);
    }
    CCheckSchedule::recordCheck(m_mainWindow);
    m_history.log(sample.offset);
    return true;
}
