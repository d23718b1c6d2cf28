// Shows the Reminder dialog or the Calendar dialog for screenshots. Test code; it never ships.
//
//   reminder_dialog_showcase.exe new|every|countdown|calendar
//
// "every" and "countdown" first store reminder 1 (every 3 days; a running countdown of
// 1:30) and open it. Works in the current folder: writes "ready" once the dialog is on the
// screen, ends it when a file "stop" appears (or after two minutes), and writes "ended" as
// it ends.

#include "ShowcaseSignal.h"
#include "CCalendarDialog.h"
#include "CReminderDialog.h"
#include "CReminderStore.h"
#include "ISoundDevice.h"

#include <ctime>
#include <string>

namespace {

CDialog* g_shown = nullptr;

// The modal loop dispatches this thread timer.
void CALLBACK watch(HWND, UINT, UINT_PTR, DWORD)
{
    static int ticks = 0;
    ++ticks;
    if (ticks == 10)
        showcase::signal(L"ready");
    if ((ticks > 10 && showcase::stopAsked()) || ticks > 1200) {
        if (g_shown && g_shown->hwnd())
            PostMessageW(g_shown->hwnd(), WM_COMMAND, IDCANCEL, 0);
    }
}

ReminderRecord storedExample(const std::wstring& mode, int64_t now)
{
    ReminderRecord r;
    if (mode == L"every") {
        r.text = L"Water the plants on the balcony";
        r.isRecurring = true;
        r.intervalDays = 3;
        r.when = static_cast<int32_t>(now + 2 * 3600);
        r.soundRepeat = 2;
        r.soundFile = L"chimes.wav";
    } else {
        r.text = L"Take the bread out of the oven";
        r.isCountdown = true;
        r.when = 90 * 60;
        r.deleteWhenDone = true;
        r.soundRepeat = ReminderRecord::kContinuously;
        r.soundFile = L"ringin.wav";
    }
    r.start = static_cast<int32_t>(now);
    return r;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"new";
    const int64_t now = static_cast<int64_t>(_time64(nullptr));
    CMciSoundDevice sound;
    SetTimer(nullptr, 0, 100, watch);
    if (mode == L"calendar") {
        SYSTEMTIME today{};
        GetLocalTime(&today);
        CCalendarDialog calendar(today);
        g_shown = &calendar;
        calendar.doModal(nullptr);
    } else {
        long number = 0;
        if (mode == L"every" || mode == L"countdown") {
            number = 1;
            CReminderStore().write(number, storedExample(mode, now));
        }
        CReminderDialog reminder(number, sound);
        g_shown = &reminder;
        reminder.doModal(nullptr);
        if (number)
            CReminderStore().remove(number);
    }
    g_shown = nullptr;
    showcase::signal(L"ended");
    return 0;
}
