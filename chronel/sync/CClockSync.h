#pragma once
// A time check and the correction of the clock: runs a check on a worker thread or
// synchronously, keeps the last sample as a cache, sets the clock when it is off by a second or
// more, and logs each correction in the history. Results reach the window that started a check as
// private messages; nothing here shows a message itself.

#include "CConnectivityTest.h"
#include "CCorrectionHistory.h"
#include "CSntpClient.h"
#include "IClockSetter.h"
#include "SntpSample.h"
#include "UniqueHandle.h"

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>

class CClockSync {
public:
    explicit CClockSync(IClockSetter& clock);
    // Waits for a running worker: it uses this object until it ends.
    ~CClockSync();
    CClockSync(const CClockSync&) = delete;
    CClockSync& operator=(const CClockSync&) = delete;

    // The name that replaces %s in the messages.
    void setDisplayName(const std::wstring& name);
    // Receives WM_SYNC_BUSY.
    void setMainWindow(HWND window) { m_mainWindow = window; }
    // Gives the open page host window, if any (it gets WM_TIMECHANGE on old systems).
    void setPageHostFinder(std::function<HWND()> finder) { m_pageHost = std::move(finder); }
    // The connectivity test run before the first server; by default the ICMP test.
    void setOnlineTest(std::function<bool()> test) { m_isOnline = std::move(test); }
    CConnectivityTest& connectivityTest() { return m_connectivity; }
    // The update check run after every successful query.
    void setUpdateCheck(std::function<void()> check) { m_updateCheck = std::move(check); }
    void setPort(unsigned short port) { m_port = port; }

    void startCheck(HWND window);
    bool checkNow();
    bool checkAndCorrect();
    bool applyCorrection();
    void invalidateCache();

    // The corrections made so far.
    CCorrectionHistory& history() { return m_history; }

    // A copy of the cached sample.
    SntpSample lastSample() const;
    // The cached sample that WM_SYNC_RESULT points to.
    const SntpSample* lastSamplePointer() const { return &m_lastSample; }
    // Replaces the cached sample (the page host zeroes its offset after its own correction).
    void setLastSample(const SntpSample& sample);
    const wchar_t* statusText() const { return m_statusText; }
    HWND notifyWindow() const { return m_notifyWindow; }
    bool workerRunning() const;
    // Waits at most `ms` for a running worker; true when none runs afterwards.
    bool waitForWorker(DWORD ms) const;
    // Worker threads started so far.
    int workersStarted() const { return m_workersStarted; }
    // Times the clock was set so far.
    int clockSetCount() const { return m_clockSets; }

private:
    static DWORD WINAPI workerMain(void* self);
    void fail(const std::wstring* text);
    void postToNotify(UINT message, LPARAM lParam) const;
    void postToMain(UINT message, WPARAM wParam) const;
    bool setClock(double offset);
    bool runQuery(SntpSample& sample);

    IClockSetter& m_clock;
    std::wstring m_displayName;
    HWND m_mainWindow = nullptr;
    HWND m_notifyWindow = nullptr;
    std::function<HWND()> m_pageHost;
    CConnectivityTest m_connectivity;
    std::function<bool()> m_isOnline;
    std::function<void()> m_updateCheck;
    unsigned short m_port = CSntpClient::kNtpPort;
    CCorrectionHistory m_history;

    CHandle m_worker;
    int m_workersStarted = 0;
    int m_clockSets = 0;

    // The worker and the user-interface thread may both finish a query; the sample is copied
    // in and out under this lock so that no reader ever sees half of one.
    mutable std::mutex m_sampleLock;
    SntpSample m_lastSample;

    // The failure texts are made once and never change, so a pointer to one stays valid in
    // a posted message whatever thread fails next.
    std::wstring m_textNoWinsock, m_textWinsockTooOld, m_textNoServer;
    const wchar_t* m_statusText = L"";
};
