// What OK and "Update without reset" write, the questions they ask first, and what they say
// when the registry does not take the record.

#include "CMessageBoxCapture.h"
#include "CModalScript.h"
#include "CReminderDialogTest.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

namespace {

constexpr wchar_t kTitle[] = L"Orvel.Tempra";
constexpr wchar_t kRestartQuestion[] =
    L"Pressing OK will restart your countdown reminder.  If you want to edit the reminder but preserve the current "
    L"countdown, select the 'Update without reset' button.\n\nDo you wish to restart this countdown?";
constexpr wchar_t kInPastQuestion[] = L"Pressing OK will execute this reminder immediately, since it occurred in the "
                                      L"past.  To change the time or date, press Cancel.";
constexpr wchar_t kRegistryFailed[] =
    L"Orvel.Tempra was unable to update your registry.  It is likely that you have insufficient privileges.  Please "
    L"check with your network administrator.";

ReminderRecord runningCountdown()
{
    ReminderRecord r;
    r.text = L"Old text";
    r.isCountdown = true;
    r.when = 1800;
    r.start = static_cast<int32_t>(CReminderDialogTest::kNow - 1000);
    r.soundFile = L"a.wav";
    r.soundRepeat = 1;
    r.isSnooze = true;
    return r;
}

} // namespace

struct RecurrenceCase {
    const char* name;
    int64_t chosen; // the time picker, from now
    int days;    // typed
    int stored;  // IntervalDays
    int64_t due; // the stored When, from now
};

class CRecurrenceTest : public CReminderDialogTest, public ::testing::WithParamInterface<RecurrenceCase> {};

TEST_P(CRecurrenceTest, EveryNDaysIsFirstDueAtTheNextSuchTimeAndThenNMinusOneDays)
{
    const RecurrenceCase& c = GetParam();
    ASSERT_NE(open(0), nullptr);
    type(IDC_REMINDER_TEXT, L"Water the plants");
    choose(IDC_REMINDER_EVERY);
    type(IDC_REMINDER_DAYS, std::to_wstring(c.days));
    setPicker(IDC_REMINDER_TIME, kNow + c.chosen);
    click(IDOK);

    ASSERT_EQ(dialog(), nullptr) << "the dialog ends once the record is written";
    EXPECT_EQ(savedNumber(), 1);
    ReminderRecord r;
    ASSERT_TRUE(stored(1, r));
    EXPECT_EQ(r.when - kNow, c.due);
    EXPECT_TRUE(r.isRecurring);
    EXPECT_FALSE(r.isCountdown);
    EXPECT_EQ(r.intervalDays, c.stored);
    EXPECT_EQ(r.start, kNow);
    EXPECT_EQ(r.text, L"Water the plants");
}

INSTANTIATE_TEST_SUITE_P(
    Times, CRecurrenceTest,
    ::testing::Values(RecurrenceCase{"EveryDayInTenMinutes", 600, 1, 1, 600},
                      RecurrenceCase{"EveryThreeDaysInTenMinutes", 600, 3, 3, 2 * 86400 + 600},
                      RecurrenceCase{"EveryDayAtATimeEarlierToday", -2 * 3600, 1, 1, 86400 - 2 * 3600},
                      RecurrenceCase{"EveryTwoDaysAtATimeEarlierToday", -2 * 3600, 2, 2, 2 * 86400 - 2 * 3600},
                      RecurrenceCase{"EveryDayAtATimeThreeDaysAhead", 3 * 86400 + 3600, 1, 1, 3600},
                      RecurrenceCase{"EveryDayAtATimeFiveDaysBack", -5 * 86400 + 3600, 1, 1, 3600},
                      RecurrenceCase{"EveryDayExactlyOneDayAhead", 86400, 1, 1, 86400},
                      RecurrenceCase{"EveryDayOneDayAndASecondAhead", 86400 + 1, 1, 1, 1},
                      RecurrenceCase{"EveryFortyFiveDaysBeyondTheSpin", 600, 99, 45, 44 * 86400 + 600}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CReminderDialogTest, OnceIsDueAtThePickedDateAndTimeWithItsTextAndSound)
{
    ASSERT_NE(open(0), nullptr);
    type(IDC_REMINDER_TEXT, L"Call Ann");
    setPicker(IDC_REMINDER_DATE, kNow + 2 * kDay);
    setPicker(IDC_REMINDER_TIME, kNow + 600); // today's date there does not count
    setCheck(IDC_REMINDER_DELETE_DONE, true);
    selectRepeat(4);
    type(IDC_REMINDER_SOUND, L"chime.wav");
    CMessageBoxCapture boxes;
    click(IDOK);

    EXPECT_TRUE(boxes.boxes().empty());
    ASSERT_EQ(dialog(), nullptr);
    ReminderRecord r;
    ASSERT_TRUE(stored(1, r));
    EXPECT_EQ(r.when, kNow + 2 * kDay + 600);
    EXPECT_EQ(r.start, kNow);
    EXPECT_FALSE(r.isCountdown);
    EXPECT_FALSE(r.isRecurring);
    EXPECT_EQ(r.text, L"Call Ann");
    EXPECT_TRUE(r.deleteWhenDone);
    EXPECT_EQ(r.soundRepeat, 4);
    EXPECT_EQ(r.soundFile, L"chime.wav");
    EXPECT_EQ(r.state, 0);
    EXPECT_FALSE(r.isSnooze);
    EXPECT_EQ(lastNumber(), 1u);
}

struct PastCase {
    const char* name;
    int answer;
    bool saved;
};

class CPastTest : public CReminderDialogTest, public ::testing::WithParamInterface<PastCase> {};

TEST_P(CPastTest, OnceInThePastAsksFirstAndCancelSavesNothing)
{
    ASSERT_NE(open(0), nullptr);
    setPicker(IDC_REMINDER_DATE, kNow - kDay);
    setPicker(IDC_REMINDER_TIME, kNow + 600);
    CMessageBoxCapture boxes([](const CapturedBox&) { return GetParam().answer; });
    click(IDOK);

    ASSERT_EQ(boxes.boxes().size(), 1u);
    const CapturedBox box = boxes.boxes()[0];
    EXPECT_EQ(box.text, kInPastQuestion);
    EXPECT_EQ(box.caption, kTitle);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(box.buttons, static_cast<UINT>(MB_OKCANCEL));

    ReminderRecord r;
    EXPECT_EQ(stored(1, r), GetParam().saved);
    if (GetParam().saved) {
        EXPECT_EQ(dialog(), nullptr);
        EXPECT_EQ(r.when, kNow - kDay + 600);
    } else {
        ASSERT_NE(dialog(), nullptr);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog(), IDC_REMINDER_DATE));
        EXPECT_EQ(lastNumber(), 0u) << "no number is taken for a record not written";
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, CPastTest,
                         ::testing::Values(PastCase{"Cancel", IDCANCEL, false}, PastCase{"Ok", IDOK, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct LengthCase {
    const char* name;
    const wchar_t* hours;
    const wchar_t* minutes;
    int32_t when;
};

class CCountdownLengthTest : public CReminderDialogTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(CCountdownLengthTest, ACountdownStoresItsLengthFromNow)
{
    ASSERT_NE(open(0), nullptr);
    type(IDC_REMINDER_TEXT, L"Tea is ready");
    choose(IDC_REMINDER_COUNTDOWN);
    type(IDC_REMINDER_HOURS, GetParam().hours);
    type(IDC_REMINDER_MINUTES, GetParam().minutes);
    // A date in the past does not matter to a countdown.
    setPicker(IDC_REMINDER_DATE, kNow - kDay);
    CMessageBoxCapture boxes;
    click(IDOK);

    EXPECT_TRUE(boxes.boxes().empty());
    ReminderRecord r;
    ASSERT_TRUE(stored(1, r));
    EXPECT_EQ(r.when, GetParam().when);
    EXPECT_EQ(r.start, kNow);
    EXPECT_TRUE(r.isCountdown);
    EXPECT_FALSE(r.isRecurring);
    EXPECT_EQ(r.due(), kNow + GetParam().when);
}

INSTANTIATE_TEST_SUITE_P(Lengths, CCountdownLengthTest,
                         ::testing::Values(LengthCase{"HourAndAHalf", L"1", L"30", 5400},
                                           LengthCase{"MinutesOnly", L"0", L"45", 2700},
                                           LengthCase{"BeyondTheSpinsAtTheirLimits", L"99", L"75", 23 * 3600 + 59 * 60},
                                           LengthCase{"EmptyHours", L"", L"5", 300}),
                         [](const auto& info) { return std::string(info.param.name); });

struct RestartCase {
    const char* name;
    int32_t state;
    int answer;
    bool asked, restarted;
};

class CRestartTest : public CReminderDialogTest, public ::testing::WithParamInterface<RestartCase> {};

TEST_P(CRestartTest, OkOnARunningCountdownAsksBeforeRestartingIt)
{
    const RestartCase& c = GetParam();
    ReminderRecord before = runningCountdown();
    before.state = c.state;
    store(4, before);
    ASSERT_NE(open(4), nullptr);
    type(IDC_REMINDER_MINUTES, L"20");
    CMessageBoxCapture boxes([&](const CapturedBox&) { return c.answer; });
    click(IDOK);

    ASSERT_EQ(boxes.boxes().size(), c.asked ? 1u : 0u);
    if (c.asked) {
        EXPECT_EQ(boxes.boxes()[0].text, kRestartQuestion);
        EXPECT_EQ(boxes.boxes()[0].caption, kTitle);
        EXPECT_EQ(boxes.boxes()[0].icon, static_cast<UINT>(MB_ICONQUESTION));
        EXPECT_EQ(boxes.boxes()[0].buttons, static_cast<UINT>(MB_YESNO));
    }
    ReminderRecord after;
    ASSERT_TRUE(stored(4, after));
    if (c.restarted) {
        EXPECT_EQ(dialog(), nullptr);
        EXPECT_EQ(after.start, kNow);
        EXPECT_EQ(after.when, 20 * 60);
        EXPECT_EQ(after.state, 0);
        EXPECT_FALSE(after.isSnooze);
        EXPECT_EQ(savedNumber(), 4);
    } else {
        EXPECT_NE(dialog(), nullptr) << "No leaves the dialog open";
        EXPECT_EQ(after.start, before.start);
        EXPECT_EQ(after.when, before.when);
        EXPECT_EQ(after.text, before.text);
    }
    EXPECT_EQ(lastNumber(), 0u) << "an edited reminder keeps its number";
}

INSTANTIATE_TEST_SUITE_P(Answers, CRestartTest,
                         ::testing::Values(RestartCase{"RunningNo", 0, IDNO, true, false},
                                           RestartCase{"RunningYes", 0, IDYES, true, true},
                                           RestartCase{"NotRunning", 2, IDNO, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CReminderDialogTest, UpdateWithoutResetKeepsTheCountdownsStartAndLength)
{
    const ReminderRecord before = runningCountdown();
    store(4, before);
    ASSERT_NE(open(4), nullptr);
    ASSERT_TRUE(visible(IDC_REMINDER_KEEP_COUNTDOWN));
    type(IDC_REMINDER_TEXT, L"New text");
    type(IDC_REMINDER_HOURS, L"5"); // not taken: the countdown goes on as it was
    selectRepeat(5);
    type(IDC_REMINDER_SOUND, L"b.wav");
    setCheck(IDC_REMINDER_DELETE_DONE, true);
    CMessageBoxCapture boxes;
    click(IDC_REMINDER_KEEP_COUNTDOWN);

    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(dialog(), nullptr);
    EXPECT_EQ(savedNumber(), 4);
    ReminderRecord after;
    ASSERT_TRUE(stored(4, after));
    EXPECT_EQ(after.text, L"New text");
    EXPECT_EQ(after.soundFile, L"b.wav");
    EXPECT_EQ(after.soundRepeat, 5);
    EXPECT_TRUE(after.deleteWhenDone);
    EXPECT_EQ(after.start, before.start);
    EXPECT_EQ(after.when, before.when);
    EXPECT_TRUE(after.isCountdown);
    EXPECT_EQ(after.isSnooze, before.isSnooze);
    EXPECT_EQ(after.state, before.state);
}

// A value already under the next number is passed over, never written over.
TEST_F(CReminderDialogTest, ANewReminderTakesTheNextFreeNumber)
{
    setLastNumber(4);
    ReminderRecord other;
    other.text = L"Somebody else's";
    store(5, other);
    ASSERT_NE(open(0), nullptr);
    type(IDC_REMINDER_TEXT, L"Mine");
    CMessageBoxCapture boxes;
    click(IDOK);

    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(dialog(), nullptr);
    EXPECT_EQ(savedNumber(), 6);
    EXPECT_EQ(lastNumber(), 6u);
    ReminderRecord r;
    ASSERT_TRUE(stored(6, r));
    EXPECT_EQ(r.text, L"Mine");
    ASSERT_TRUE(stored(5, r));
    EXPECT_EQ(r.text, L"Somebody else's");
}

TEST_F(CReminderDialogTest, AnEditedReminderIsWrittenUnderItsOwnNumber)
{
    ReminderRecord before;
    before.text = L"Before";
    before.when = static_cast<int32_t>(kNow + kDay);
    store(3, before);
    ASSERT_NE(open(3), nullptr);
    type(IDC_REMINDER_TEXT, L"After");
    CMessageBoxCapture boxes;
    click(IDOK);

    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(savedNumber(), 3);
    ReminderRecord r;
    ASSERT_TRUE(stored(3, r));
    EXPECT_EQ(r.text, L"After");
    EXPECT_EQ(r.when, before.when);
    EXPECT_EQ(lastNumber(), 0u);
}

TEST_F(CReminderDialogTest, ARegistryThatRefusesTheRecordIsReportedAndTheDialogStays)
{
    // Under a volatile key no lasting key can be made: the Reminders key cannot be created,
    // while ReminderNumber can still be written beside it.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Orvel Software\\Velmora", 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_NE(open(0), nullptr);
    CMessageBoxCapture boxes;
    click(IDOK);

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, kRegistryFailed);
    EXPECT_EQ(boxes.boxes()[0].icon, static_cast<UINT>(MB_ICONHAND));
    EXPECT_EQ(boxes.boxes()[0].caption, kTitle);
    EXPECT_NE(dialog(), nullptr);
    EXPECT_EQ(savedNumber(), 0);
    ReminderRecord r;
    EXPECT_FALSE(stored(1, r));
}

struct ModalCase {
    const char* name;
    int button;
    INT_PTR result;
    bool saved;
};

class CModalReminderTest : public CReminderDialogTest, public ::testing::WithParamInterface<ModalCase> {};

TEST_P(CModalReminderTest, TheModalDialogEndsWithIdokOnlyWhenItWroteTheRecord)
{
    CReminderDialog reminder(0, sound, [] { return kNow; });
    CModalScript script(IDC_REMINDER_TEXT, [](HWND d) {
        SetDlgItemTextW(d, IDC_REMINDER_TEXT, L"Modal");
        PostMessageW(d, WM_COMMAND, MAKEWPARAM(GetParam().button, BN_CLICKED), 0);
    });
    EXPECT_EQ(reminder.doModal(nullptr), GetParam().result);
    EXPECT_TRUE(script.ran());
    ReminderRecord r;
    EXPECT_EQ(stored(1, r), GetParam().saved);
    EXPECT_EQ(reminder.savedNumber(), GetParam().saved ? 1 : 0);
    if (GetParam().saved) {
        EXPECT_EQ(r.text, L"Modal");
        EXPECT_EQ(r.when, kNow + 3600 - 30);
    }
}

INSTANTIATE_TEST_SUITE_P(Buttons, CModalReminderTest,
                         ::testing::Values(ModalCase{"Ok", IDOK, IDOK, true},
                                           ModalCase{"Cancel", IDCANCEL, IDCANCEL, false}),
                         [](const auto& info) { return std::string(info.param.name); });
