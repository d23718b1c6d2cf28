#pragma once
// The main window's reminders: the schedule with its check timer 258, the open pop-ups, the
// sound, snoozing, and the Reminder dialog. The main window forwards its reminder messages
// here (WM_TIMER 258, MM_MCINOTIFY, WM_REMINDER_SNOOZE, WM_REMINDER_CLOSED, WM_TIMECHANGE).

#include "CReminderPopups.h"
#include "CReminderSchedule.h"
#include "CReminderSound.h"
#include "CReminderStore.h"
#include "resource.h"

#include <cstdint>
#include <functional>

class CReminders {
public:
    // `bumpRevision` raises the pages' reminder revision counter.
    CReminders(ISoundDevice& sound, std::function<void()> bumpRevision);
    ~CReminders();
    CReminders(const CReminders&) = delete;
    CReminders& operator=(const CReminders&) = delete;

    // The main window exists: the check timer starts at its fast period.
    void attach(HWND mainWindow);
    // Exit: the schedule is dropped, the pop-ups close and the sound stops.
    void detach();

    // After any change to the stored reminders: rebuild the schedule and check.
    void refresh() { m_schedule.refresh(); }
    void onTimer() { m_schedule.check(); }
    // Shows a reminder at once without changing its record; false when it does not exist.
    bool fire(long number);
    // The Reminder dialog for `number` (0 = new); true when a record was saved.
    bool edit(long number, HWND owner);

    void onSnooze(WPARAM sequence) { m_popups.onSnooze(static_cast<int>(sequence)); }
    void onClosed(WPARAM sequence);
    void onSoundNotify(WPARAM flags, LPARAM device) { m_sound.onNotify(flags, device); }

    // The check timer's period now, 0 while it is not running.
    UINT period() const { return m_period; }
    CReminderSchedule& schedule() { return m_schedule; }
    CReminderPopups& popups() { return m_popups; }
    CReminderSound& sound() { return m_sound; }
    // Replaces the clock, for tests.
    void setClock(std::function<int64_t()> now) { m_now = std::move(now); }

    // Seconds since 1970, UTC.
    static int64_t unixNow();

private:
    void show(const ReminderRecord& record);
    void setPeriod(UINT period);
    void createSnooze(const CReminderPopups::Closed& closed);

    HWND m_window = nullptr;
    ISoundDevice& m_soundDevice;
    std::function<void()> m_bumpRevision;
    std::function<int64_t()> m_now;
    CReminderStore m_store;
    CReminderSchedule m_schedule;
    CReminderPopups m_popups;
    CReminderSound m_sound;
    UINT m_period = 0;
};
