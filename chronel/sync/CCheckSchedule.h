#pragma once
// The automatic check schedule of the main window: NextUpdate in the settings, watched by
// window timer 256 (every minute, every second within the last minute), and a retry every
// minute (timer 257) after a failed check. Also the schedule settings and their texts.

#include <windows.h>

#include <functional>
#include <string>

class CClockSync;

class CCheckSchedule {
public:
    explicit CCheckSchedule(CClockSync& sync);

    // The window that owns the timers and receives WM_AUTOCHECK_CHANGED; none while no main
    // window exists (a program started by COM), when changes are only stored.
    void attach(HWND mainWindow) { m_window = mainWindow; }
    // Called on WM_TIMECHANGE besides the cache refresh: the pages' revision and the reminders.
    void setTimeChangeHook(std::function<void()> hook) { m_timeChanged = std::move(hook); }
    // Tells whether a page host window is open.
    void setPageHostOpen(std::function<bool()> isOpen) { m_pageHostOpen = std::move(isOpen); }

    // Reads Autocheck (writing 1 when missing) and posts it with WM_AUTOCHECK_CHANGED to the
    // main window.
    void postAutocheck() { postAutocheck(m_window); }
    static void postAutocheck(HWND mainWindow);
    // After a successful check: LastUpdate = now, NextUpdate from the schedule settings, and
    // the main window (if any) rebuilds the schedule.
    static void recordCheck(HWND mainWindow);

    // Window message handlers of the main window.
    void onAutocheckChanged(WPARAM autocheck);
    void onTimer(UINT_PTR id);
    void onSyncBusy(WPARAM failed);
    void onTimeChange();

    // Settings with the pages' defaults.
    static bool autocheck();
    static bool dailyUpdate();
    static DWORD hours();
    static bool exitOnCheck();
    // The setters write their value, update NextUpdate and tell the main window.
    void setAutocheck(bool on);
    void setDailyUpdate(bool on);
    // At least one hour: with 0 every check would be due at once after the last one.
    void setHours(DWORD hours);
    void setExitOnCheck(bool on);

    static std::wstring lastCheckText();
    static std::wstring nextCheckText();

    bool fineMode() const { return m_fineMode; }
    // 0 when timer 256 is stopped, else its interval.
    UINT scheduleInterval() const { return m_scheduleInterval; }
    bool retryRunning() const { return m_retryRunning; }

private:
    void startScheduleTimer(UINT interval);
    void stopScheduleTimer();
    void runDueCheck();
    // NextUpdate from LastUpdate (or now) after a change of the schedule settings.
    static void rescheduleFromLastCheck(bool daily, DWORD hours);

    CClockSync& m_sync;
    HWND m_window = nullptr;
    std::function<void()> m_timeChanged;
    std::function<bool()> m_pageHostOpen;
    UINT m_scheduleInterval = 0;
    bool m_fineMode = false;
    bool m_checkRunning = false;
    bool m_retryRunning = false;
};
