// "Calendar..." opens the Calendar dialog at the date picker's date; OK copies the day chosen
// there back into the date picker, Cancel leaves it.

#include "CModalScript.h"
#include "CReminderDialogTest.h"

#include <gtest/gtest.h>

#include <commctrl.h>

struct CalendarCase {
    const char* name;
    int button;
    bool copied;
};

class CCalendarTest : public CReminderDialogTest, public ::testing::WithParamInterface<CalendarCase> {};

TEST_P(CCalendarTest, TheCalendarOpensAtThePickersDateAndOkCopiesTheChosenDay)
{
    ASSERT_NE(open(0), nullptr);
    const SYSTEMTIME start = local(kNow + 3 * kDay);
    setPicker(IDC_REMINDER_DATE, kNow + 3 * kDay);
    const SYSTEMTIME wanted = local(kNow + 40 * kDay);

    SYSTEMTIME opened{};
    CModalScript script(IDC_CALENDAR_MONTH, [&](HWND calendar) {
        HWND month = GetDlgItem(calendar, IDC_CALENDAR_MONTH);
        SendMessageW(month, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&opened));
        SYSTEMTIME day = wanted;
        SendMessageW(month, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day));
        PostMessageW(calendar, WM_COMMAND, MAKEWPARAM(GetParam().button, BN_CLICKED), 0);
    });
    click(IDC_REMINDER_CALENDAR);

    ASSERT_TRUE(script.ran());
    EXPECT_TRUE(sameDate(opened, start));
    const SYSTEMTIME shown = picker(IDC_REMINDER_DATE);
    EXPECT_TRUE(sameDate(shown, GetParam().copied ? wanted : start))
        << shown.wYear << "-" << shown.wMonth << "-" << shown.wDay;
    EXPECT_TRUE(IsWindowEnabled(dialog())) << "the Reminder dialog is usable again";
}

INSTANTIATE_TEST_SUITE_P(Buttons, CCalendarTest,
                         ::testing::Values(CalendarCase{"Ok", IDOK, true}, CalendarCase{"Cancel", IDCANCEL, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CReminderDialogTest, TheChosenDayIsDueAtThePickedTime)
{
    ASSERT_NE(open(0), nullptr);
    setPicker(IDC_REMINDER_TIME, kNow + 600);
    const SYSTEMTIME wanted = local(kNow + 10 * kDay);
    CModalScript script(IDC_CALENDAR_MONTH, [&](HWND calendar) {
        SYSTEMTIME day = wanted;
        SendDlgItemMessageW(calendar, IDC_CALENDAR_MONTH, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day));
        PostMessageW(calendar, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    click(IDC_REMINDER_CALENDAR);
    click(IDOK);

    ReminderRecord r;
    ASSERT_TRUE(stored(1, r));
    EXPECT_EQ(r.when, kNow + 10 * kDay + 600);
}
