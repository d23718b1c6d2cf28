// Reminders and timers in the program: the main window's check timer, pop-ups, sound and
// snooze, and the automation object's reminder and timer operations as the pages call them.

#include "CMainWnd.h"
#include "CMessageBoxCapture.h"
#include "CMessageWindow.h"
#include "CRegistryKey.h"
#include "CReminderStore.h"
#include "CSoundDeviceStub.h"
#include "CTimerList.h"
#include "ChronelAppFixture.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

class ReminderProgramTest : public ChronelAppFixture {
protected:
    void SetUp() override
    {
        ChronelAppFixture::SetUp();
        app->setSoundDevice(sound);
        ASSERT_TRUE(app->createMainWindow());
        main = app->mainWnd();
        o = automation();
    }
    void TearDown() override
    {
        if (main)
            main->exitSequence();
        EXPECT_EQ(boxes.boxes().size(), 0u) << "a message box was shown";
        ChronelAppFixture::TearDown();
    }

    CReminders& reminders() { return main->reminders(); }

    static ReminderRecord countdown(int32_t seconds, int64_t start, const wchar_t* text = L"countdown")
    {
        ReminderRecord r;
        r.text = text;
        r.isCountdown = true;
        r.when = seconds;
        r.start = static_cast<int32_t>(start);
        return r;
    }
    static ReminderRecord dated(int64_t when, const wchar_t* text = L"dated")
    {
        ReminderRecord r;
        r.text = text;
        r.when = static_cast<int32_t>(when);
        r.start = static_cast<int32_t>(when - 100);
        return r;
    }

    std::wstring remaining(long number)
    {
        BSTR text = nullptr;
        EXPECT_EQ(o->GetRemainingText(number, &text), S_OK);
        return takeText(text);
    }
    std::wstring whenText(long number)
    {
        BSTR text = nullptr;
        EXPECT_EQ(o->GetReminderWhenText(number, &text), S_OK);
        return takeText(text);
    }

    CMessageBoxCapture boxes; // answers any box, so a test fails rather than hangs on one
    CSoundDeviceStub sound;
    CReminderStore store;
    CMainWnd* main = nullptr;
    IChronelProxyObj* o = nullptr;
};

// A 0:00 countdown is due at once; one due in two seconds is shown by the real timer 258.
TEST_F(ReminderProgramTest, CountdownsAreShownWhenDue)
{
    ASSERT_EQ(reminders().period(), 1000u) << "the first check comes a second after start";
    ASSERT_TRUE(store.write(9, countdown(0, CReminders::unixNow(), L"Now")));
    reminders().refresh();
    EXPECT_EQ(reminders().popups().count(), 1u) << "due at once";
    SendMessageW(main->hwnd(), WM_REMINDER_CLOSED, 0, 0);

    ReminderRecord r = countdown(2, CReminders::unixNow(), L"Tea");
    r.soundFile = L"chimes.wav";
    r.soundRepeat = 2;
    ASSERT_TRUE(store.write(1, r));
    reminders().refresh();
    EXPECT_EQ(reminders().popups().count(), 0u);
    EXPECT_EQ(reminders().period(), 1000u) << "due within 65 s";
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return reminders().popups().count() == 1; }, 5000));
    ReminderRecord after;
    ASSERT_TRUE(store.read(1, after));
    EXPECT_EQ(after.state, 1);
    EXPECT_EQ(sound.opened.back(), L"chimes.wav");
    EXPECT_EQ(reminders().period(), 1000u) << "quick for a moment after the last one";
    SendMessageW(main->hwnd(), WM_TIMER, IDT_REMINDERS, 0);
    EXPECT_EQ(reminders().period(), 60000u) << "nothing left in the schedule";
    EXPECT_EQ(remaining(1), L"00:00:00") << "shown and finished";
}

TEST_F(ReminderProgramTest, CheckTimerPeriodFollowsTheNextReminder)
{
    const int64_t now = CReminders::unixNow();
    ASSERT_TRUE(store.write(1, dated(now + 600)));
    reminders().refresh();
    EXPECT_EQ(reminders().period(), 60000u);
    ASSERT_TRUE(store.write(2, dated(now + 40)));
    reminders().refresh();
    EXPECT_EQ(reminders().period(), 1000u) << "due within 65 s";
    LONG changed = -1;
    ASSERT_EQ(o->DeleteReminder(2), S_OK);
    EXPECT_EQ(reminders().period(), 60000u) << "deleting rebuilds the schedule";
    ASSERT_EQ(o->SetReminderState(1, 1, &changed), S_OK);
    EXPECT_EQ(changed, 1);
    EXPECT_TRUE(reminders().schedule().entries().empty()) << "State 1 is out of the schedule";
}

TEST_F(ReminderProgramTest, OperationsOverTheStoredReminders)
{
    const int64_t now = CReminders::unixNow();
    LONG number = -1;
    ASSERT_EQ(o->GetReminderCount(&number), S_OK);
    EXPECT_EQ(number, 0);
    EXPECT_EQ(o->GetReminderNumber(1, &number), S_FALSE);

    ReminderRecord every = dated(now + 600, L"Stretch");
    every.isRecurring = true;
    every.intervalDays = 1;
    ASSERT_TRUE(store.write(3, every));
    ReminderRecord every3 = every;
    every3.intervalDays = 3;
    every3.when = static_cast<int32_t>(now + 2 * 86400 + 600);
    ASSERT_TRUE(store.write(4, every3));
    ASSERT_TRUE(store.write(7, countdown(3600, now, L"Call")));
    reminders().refresh();

    ASSERT_EQ(o->GetReminderCount(&number), S_OK);
    EXPECT_EQ(number, 3);
    std::vector<LONG> numbers;
    for (LONG i = 1; o->GetReminderNumber(i, &number) == S_OK; ++i)
        numbers.push_back(number);
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (std::vector<LONG>{3, 4, 7}));
    EXPECT_EQ(o->GetReminderNumber(4, &number), S_FALSE);

    BSTR text = nullptr;
    ASSERT_EQ(o->GetReminderText(3, &text), S_OK);
    EXPECT_EQ(takeText(text), L"Stretch");
    EXPECT_EQ(whenText(3), L"Every day");
    EXPECT_EQ(whenText(4), L"Every 3 days");
    EXPECT_EQ(whenText(7), L"Countdown");

    // Time left, in its three forms (a second may pass between writing and asking).
    EXPECT_TRUE(remaining(3) == L"00:10:00" || remaining(3) == L"00:09:59") << remaining(3);
    EXPECT_TRUE(remaining(4) == L"2 days, 00:10:00" || remaining(4) == L"2 days, 00:09:59") << remaining(4);
    ReminderRecord tomorrow = dated(now + 86400 + 5);
    ASSERT_TRUE(store.write(8, tomorrow));
    EXPECT_TRUE(remaining(8).rfind(L"1 day, 00:00:0", 0) == 0) << remaining(8);

    // The state switch of a recurring reminder; any other reminder reads 3.
    LONG state = -1;
    ASSERT_EQ(o->GetReminderState(3, &state), S_OK);
    EXPECT_EQ(state, 0);
    ASSERT_EQ(o->GetReminderState(7, &state), S_OK);
    EXPECT_EQ(state, 3);
    LONG changed = -1;
    ASSERT_EQ(o->SetReminderState(3, 2, &changed), S_OK);
    EXPECT_EQ(changed, 0) << "2 stores State 0, which it was";
    ASSERT_EQ(o->SetReminderState(3, 1, &changed), S_OK);
    EXPECT_EQ(changed, 1);
    ASSERT_EQ(o->GetReminderState(3, &state), S_OK);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(remaining(3), L"00:00:00") << "not scheduled";
    ASSERT_EQ(o->SetReminderState(99, 1, &changed), S_OK);
    EXPECT_EQ(changed, 0);
    EXPECT_FALSE(store.exists(99)) << "no reminder is made out of nothing";

    EXPECT_EQ(o->GetReminderText(3, nullptr), E_POINTER);
}

// Two reminders due at once give two pop-ups; snooze on one makes a 300-second countdown
// shown as "Snooze", deleted once it has been shown.
TEST_F(ReminderProgramTest, TwoPopupsAndSnooze)
{
    const int64_t now = CReminders::unixNow();
    ASSERT_TRUE(store.write(1, dated(now - 2, L"first")));
    ReminderRecord second = dated(now - 1, L"second");
    second.soundFile = L"bell.wav";
    second.soundRepeat = 5;
    ASSERT_TRUE(store.write(2, second));
    reminders().refresh();
    EXPECT_EQ(reminders().popups().count(), 1u) << "one a check";
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return reminders().popups().count() == 2; }, 5000))
        << "the next second's check shows the other";
    EXPECT_TRUE(reminders().sound().playing()) << "the second reminder's sound plays on";

    LONG revision = -1;
    ASSERT_EQ(o->GetReminderRevision(0, &revision), S_OK);
    const LONG before = revision;
    // Snooze on the second pop-up: the messages it sends as it goes.
    HWND mainWindow = main->hwnd();
    SendMessageW(mainWindow, WM_REMINDER_SNOOZE, 1, 0);
    SendMessageW(mainWindow, WM_REMINDER_CLOSED, 1, 0);
    EXPECT_EQ(reminders().popups().count(), 1u);
    EXPECT_FALSE(reminders().sound().playing()) << "closing a pop-up stops the sound";
    ASSERT_EQ(o->GetReminderRevision(0, &revision), S_OK);
    EXPECT_EQ(revision, before + 1);

    LONG count = 0;
    ASSERT_EQ(o->GetReminderCount(&count), S_OK);
    ASSERT_EQ(count, 3);
    // "ReminderNumber" was never raised for the two written here: the snooze passes over them.
    const long found = 3;
    ReminderRecord snooze;
    ASSERT_TRUE(store.read(found, snooze));
    EXPECT_TRUE(snooze.isSnooze);
    EXPECT_EQ(snooze.text, L"second");
    EXPECT_TRUE(snooze.isCountdown && snooze.deleteWhenDone);
    EXPECT_EQ(snooze.when, 300);
    EXPECT_LE(std::abs(snooze.start - now), 5);
    EXPECT_EQ(snooze.soundFile, L"bell.wav");
    EXPECT_EQ(snooze.soundRepeat, 5);
    EXPECT_EQ(whenText(found), L"Snooze");

    // Five minutes later the snooze reminder is shown and goes.
    reminders().setClock([now] { return now + 301; });
    SendMessageW(mainWindow, WM_TIMER, IDT_REMINDERS, 0);
    EXPECT_EQ(reminders().popups().count(), 2u);
    EXPECT_FALSE(store.exists(found));
    ASSERT_EQ(o->GetReminderRevision(0, &revision), S_OK);
    EXPECT_EQ(revision, before + 2);
    ASSERT_EQ(o->GetReminderRevision(1, &revision), S_OK);
    EXPECT_EQ(revision, before + 3) << "a page may bump it too";

    // Closing without snooze makes nothing.
    SendMessageW(mainWindow, WM_REMINDER_CLOSED, 0, 0);
    ASSERT_EQ(o->GetReminderCount(&count), S_OK);
    EXPECT_EQ(count, 2);
}

TEST_F(ReminderProgramTest, FireShowsWithoutChangingTheRecordAndExitClosesEverything)
{
    ReminderRecord r = dated(CReminders::unixNow() + 3600, L"later");
    r.soundFile = L"loop.wav";
    r.soundRepeat = 5;
    ASSERT_TRUE(store.write(5, r));
    const std::vector<BYTE> before = r.toBytes();
    ASSERT_EQ(o->FireReminder(5), S_OK);
    EXPECT_EQ(reminders().popups().count(), 1u);
    EXPECT_TRUE(reminders().sound().playing());
    ReminderRecord after;
    ASSERT_TRUE(store.read(5, after));
    EXPECT_EQ(after.toBytes(), before);
    ASSERT_EQ(o->FireReminder(6), S_OK) << "a missing reminder shows nothing";
    EXPECT_EQ(reminders().popups().count(), 1u);

    main->exitSequence();
    EXPECT_EQ(reminders().popups().count(), 0u);
    EXPECT_FALSE(reminders().sound().playing());
    EXPECT_EQ(reminders().period(), 0u);
    EXPECT_TRUE(reminders().schedule().entries().empty());
}

TEST_F(ReminderProgramTest, TimerOperations)
{
    LONG count = -1;
    ASSERT_EQ(o->GetTimerCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    CBstr text(L"Pizza");
    ASSERT_EQ(o->AddTimer(0, text.get()), S_OK);
    ASSERT_EQ(o->AddTimer(12, text.get()), S_OK);
    ASSERT_EQ(o->GetTimerCount(&count), S_OK);
    EXPECT_EQ(count, 2);
    DWORD autocheck = 0;
    EXPECT_TRUE(CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readDword(L"Autocheck", autocheck))
        << "a missing Autocheck is written";
    EXPECT_EQ(autocheck, 1u);

    BSTR entry = nullptr;
    ASSERT_EQ(o->GetTimerText(0, &entry), S_OK);
    EXPECT_EQ(takeText(entry), L"Pizza");
    ASSERT_EQ(o->GetTimerText(2, &entry), S_OK);
    EXPECT_EQ(takeText(entry), L"");
    EXPECT_EQ(o->GetTimerText(3, &entry), S_FALSE);
}

} // namespace
