// The time picker's format: the user's time format without its seconds.

#include "ReminderTime.h"

#include <gtest/gtest.h>

struct FormatCase {
    const wchar_t* format;
    const wchar_t* separator;
    const wchar_t* expected;
};

class CTimeFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(CTimeFormatTest, SecondsGoWithTheSeparatorThatJoinsThem)
{
    EXPECT_EQ(remindertime::withoutSeconds(GetParam().format, GetParam().separator), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, CTimeFormatTest,
    ::testing::Values(FormatCase{L"h:mm:ss tt", L":", L"h:mm tt"},      // English (United States)
                      FormatCase{L"HH:mm:ss", L":", L"HH:mm"},          // most of Europe
                      FormatCase{L"H.mm.ss", L".", L"H.mm"},            // Finnish
                      FormatCase{L"tt hh:mm:ss", L":", L"tt hh:mm"},    // the AM/PM mark first
                      FormatCase{L"H:mm:s", L":", L"H:mm"},             // seconds without a zero
                      FormatCase{L"H' h 'mm' min 'ss' s'", L":", L"H' h 'mm' min '"}, // words: the unit goes too
                      FormatCase{L"H' hours 'mm:ss", L":", L"H' hours 'mm"}, // an s in quotes is a letter
                      FormatCase{L"ss:mm:HH", L":", L"mm:HH"},          // seconds first take the one after
                      FormatCase{L"HH::mm::ss", L"::", L"HH::mm"},      // a separator of two characters
                      FormatCase{L"HH:mm", L":", L"HH:mm"}));           // nothing to take away

TEST(ReminderTime, LocalTimesGoBackToTheSameSecond)
{
    for (int64_t t : {int64_t(0), int64_t(1773134430), int64_t(1773134430) + 200 * 86400, int64_t(2147483647)}) {
        EXPECT_EQ(remindertime::fromLocal(remindertime::toLocal(t)), t) << t;
    }
}
