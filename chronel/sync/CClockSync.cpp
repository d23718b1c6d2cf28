#include "CClockSync.h"

#include "CCheckSchedule.h"
#include "CRegistryKey.h"
#include "ChronelSettings.h"
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

// MeanCorrection as a number: whole text a finite, non-negative decimal, else 0.
double parseMean(const std::wstring& text)
{
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    double value = std::wcstod(begin, &end);
    if (end == begin)
        return 0;
    while (*end && std::iswspace(*end))
        ++end;
    if (*end || !std::isfinite(value) || value < 0)
        return 0;
    return value;
}

bool isNt5OrLater()
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version))
        return true;
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
}

CRegistryKey logsKey() { return CRegistryKey(HKEY_CURRENT_USER, settings::kLogsPath); }

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
    if (!isNt5OrLater()) {
        // Earlier systems do not tell the windows that the time changed.
        SendMessageTimeoutW(HWND_BROADCAST, WM_TIMECHANGE, 0, 0, SMTO_ABORTIFHUNG, 1000, nullptr);
        HWND pageHost = m_pageHost ? m_pageHost() : nullptr;
        HWND target = pageHost ? pageHost : m_mainWindow;
        if (target && IsWindow(target))
            PostMessageW(target, WM_TIMECHANGE, 0, 0);
    }
    CCheckSchedule::recordCheck(m_mainWindow);
    logCorrection(sample.offset);
    return true;
}

std::wstring CClockSync::correctionText(double offset)
{
    const double a = std::fabs(offset);
    if (a < kCorrectionThreshold)
        return loadString(IDS_ACCURATE);
    const double whole = std::floor(a);
    const auto s = static_cast<unsigned long long>(whole);
    const double fraction = a - whole;
    const unsigned long long parts[3] = {s / 86400, (s % 86400) / 3600, (s % 3600) / 60};
    const UINT formats[3] = {IDS_DAY, IDS_HOUR, IDS_MINUTE};
    std::wstring text;
    for (int i = 0; i < 3; ++i) {
        if (parts[i] == 0)
            continue;
        if (!text.empty())
            text += L", ";
        text += formatString(formats[i], static_cast<int>(parts[i]));
        if (parts[i] > 1)
            text += L"s";
    }
    const double secs = static_cast<double>(s % 60) + fraction;
    if (secs != 0) {
        if (!text.empty())
            text += L", ";
        text += formatString(IDS_SECONDS, secs);
    }
    return text;
}

void CClockSync::logCorrection(double offset)
{
    SYSTEMTIME local;
    GetLocalTime(&local);
    const std::wstring when = formatLocalDateTime(local);
    const std::wstring text = correctionText(offset);
    std::wstring word;
    if (_wcsicmp(text.c_str(), loadString(IDS_ACCURATE).c_str()) != 0)
        word = loadString(offset > 0 ? IDS_FAST : IDS_SLOW);

    const std::wstring name = std::to_wstring(currentTimeSeconds());
    logsKey().writeString(name.c_str(), formatString(IDS_LOG_ENTRY, when.c_str(), text.c_str(), word.c_str()));

    CRegistryKey root(HKEY_CURRENT_USER, settings::kRootPath);
    DWORD count = 0;
    root.readDword(settings::kCorrectionCount, count);
    std::wstring meanText;
    const double mean = root.readString(settings::kMeanCorrection, meanText) ? parseMean(meanText) : 0.0;
    const double newMean = (std::fabs(offset) + count * mean) / (count + 1.0);
    root.writeDword(settings::kCorrectionCount, count + 1);
    root.writeString(settings::kMeanCorrection, formatText(L"%.2f", newMean));
    trimLog();
}

void CClockSync::trimLog()
{
    const DWORD maxSize = settings::readDword(settings::kLogMaxSize, settings::kDefaultLogMaxSize);
    const DWORD limit = settings::readDword(settings::kLimitLog, settings::kDefaultLimitLog);
    if (maxSize == 0 && limit == 0)
        return;
    CRegistryKey logs = logsKey();
    // Only the REG_SZ values are log entries; anything else in the key is neither counted
    // nor deleted.
    DWORD entries = 0;
    std::wstring data, name;
    for (DWORD cursor = 0; logs.nextStringValue(cursor, data);)
        ++entries;
    while (entries > maxSize) {
        DWORD cursor = 0;
        if (!logs.nextStringValue(cursor, data, &name) || !logs.deleteValue(name.c_str()))
            break;
        --entries;
    }
    settings::writeDword(settings::kCorrectionCount, entries);
}

void CClockSync::clearHistory()
{
    CRegistryKey::deleteTree(HKEY_CURRENT_USER, settings::kLogsPath);
    settings::writeDword(settings::kCorrectionCount, 0);
    settings::writeString(settings::kMeanCorrection, L"0");
}

DWORD CClockSync::correctionCount()
{
    return settings::readDword(settings::kCorrectionCount, settings::kDefaultCorrectionCount);
}

std::wstring CClockSync::correctionCountText() { return std::to_wstring(correctionCount()); }

std::wstring CClockSync::meanCorrectionText()
{
    std::wstring mean;
    if (!CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readString(settings::kMeanCorrection, mean))
        return L"0s";
    return mean + L"s";
}

bool CClockSync::logEntry(DWORD n, std::wstring& entry)
{
    if (n == 0 || n > correctionCount())
        return false;
    CRegistryKey logs = logsKey();
    std::wstring data;
    DWORD cursor = 0;
    for (DWORD i = 1; logs.nextStringValue(cursor, data); ++i) {
        if (i == n) {
            entry = data;
            return true;
        }
    }
    return false;
}

void CClockSync::splitLogEntry(const std::wstring& entry, std::wstring& time, std::wstring& correction)
{
    const size_t hash = entry.find(L'#');
    time = entry.substr(0, hash);
    correction = hash == std::wstring::npos ? std::wstring() : entry.substr(hash + 1);
}
