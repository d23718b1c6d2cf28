// The texts the pages show for reminders, and the countdown timer entries.

#include "CRegistryKey.h"
#include "CSuiteRegistryTest.h"
#include "CTimerList.h"
#include "ChronelSettings.h"
#include "ReminderText.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

TEST(ReminderTextTest, RemainingTimeInItsThreeForms)
{
    struct Case {
        int64_t seconds;
        const wchar_t* text;
    };
    const Case cases[] = {
        {-5, L"00:00:00"},
        {0, L"00:00:00"},
        {59, L"00:00:59"},
        {3661, L"01:01:01"},
        {86399, L"23:59:59"},
        {86400, L"1 day, 00:00:00"},
        {86400 + 600, L"1 day, 00:10:00"},
        {2 * 86400 + 600, L"2 days, 00:10:00"},
        {45 * 86400 + 3723, L"45 days, 01:02:03"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(remindertext::remaining(c.seconds), c.text) << c.seconds;
}

TEST(ReminderTextTest, WhenTextForEachKindOfReminder)
{
    ReminderRecord r;
    r.isRecurring = true;
    r.intervalDays = 1;
    EXPECT_EQ(remindertext::when(r), L"Every day");
    r.intervalDays = 3;
    EXPECT_EQ(remindertext::when(r), L"Every 3 days");

    r = ReminderRecord();
    r.isCountdown = true;
    EXPECT_EQ(remindertext::when(r), L"Countdown");
    r.isSnooze = true;
    EXPECT_EQ(remindertext::when(r), L"Snooze");

    // A dated reminder shows its local date.
    r = ReminderRecord();
    r.when = 1781352000; // 2026-06-13 12:00 UTC: the same date in every zone from -11 to +11 hours
    EXPECT_EQ(remindertext::when(r), L"Saturday, June 13, 2026");
}

using TimerListTest = CSuiteRegistryTest;

TEST_F(TimerListTest, EntriesAndTheirCount)
{
    CTimerList timers;
    EXPECT_EQ(timers.count(), 0);
    std::wstring text = L"x";
    EXPECT_TRUE(timers.text(0, text)) << "TimerNumber 0 is not below index 0";
    EXPECT_EQ(text, L"");
    EXPECT_FALSE(timers.text(1, text));

    const int64_t t = 1780000003;
    EXPECT_EQ(timers.add(0, L"nothing stored", t), t);
    EXPECT_EQ(timers.count(), 1) << "a 0-minute timer still counts";
    EXPECT_EQ(CRegistryKey(HKEY_CURRENT_USER, CTimerList::kPath).countValues(), 0u);

    EXPECT_EQ(timers.add(25, L"Tea", t), t);
    CRegistryKey key(HKEY_CURRENT_USER, CTimerList::kPath);
    DWORD due = 0;
    ASSERT_TRUE(key.readDword(L"1780000003", due));
    EXPECT_EQ(due, 1780000003u + 25 * 60);
    std::wstring stored;
    ASSERT_TRUE(key.readString(L"178000000D", stored));
    EXPECT_EQ(stored, L"Tea");

    EXPECT_EQ(timers.count(), 2);
    ASSERT_TRUE(timers.text(0, text));
    EXPECT_EQ(text, L"Tea");
    ASSERT_TRUE(timers.text(2, text)) << "index equal to TimerNumber passes the range check";
    EXPECT_EQ(text, L"");
    EXPECT_FALSE(timers.text(3, text));
}

// Two timers within the same ten seconds would share one text name: the second moves to the
// next second whose two names are free, so both texts are kept.
TEST_F(TimerListTest, TimersWithinTenSecondsKeepBothTexts)
{
    CTimerList timers;
    EXPECT_EQ(timers.add(5, L"first", 1780000003), 1780000003);
    EXPECT_EQ(timers.add(10, L"second", 1780000007), 1780000010);
    EXPECT_EQ(timers.add(15, L"third", 1780000003), 1780000020) << "the same second as the first";

    CRegistryKey key(HKEY_CURRENT_USER, CTimerList::kPath);
    DWORD due = 0;
    ASSERT_TRUE(key.readDword(L"1780000003", due));
    EXPECT_EQ(due, 1780000003u + 300);
    ASSERT_TRUE(key.readDword(L"1780000010", due));
    EXPECT_EQ(due, 1780000010u + 600) << "the due time moves with the entry";
    std::wstring text;
    ASSERT_TRUE(key.readString(L"178000000D", text));
    EXPECT_EQ(text, L"first");
    ASSERT_TRUE(key.readString(L"178000001D", text));
    EXPECT_EQ(text, L"second");
    ASSERT_TRUE(key.readString(L"178000002D", text));
    EXPECT_EQ(text, L"third");
    EXPECT_EQ(timers.count(), 3);
}

} // namespace
