#include "NtpTimestamp.h"
#include "SntpSample.h"

#include <gtest/gtest.h>

namespace {

NtpTimestamp ts(uint32_t seconds, uint32_t fraction) { return NtpTimestamp::fromParts(seconds, fraction); }

TEST(NtpTimestampTest, JulianDayNumbers)
{
    EXPECT_EQ(NtpTimestamp::julianDay(1900, 1, 1), kJulianDay1900);
    EXPECT_EQ(NtpTimestamp::julianDay(1970, 1, 1), 2440588);
    EXPECT_EQ(NtpTimestamp::julianDay(2000, 1, 1), 2451545);
    EXPECT_EQ(NtpTimestamp::julianDay(2000, 2, 29), 2451604);
    EXPECT_EQ(NtpTimestamp::julianDay(2000, 3, 1), 2451605);
    EXPECT_EQ(NtpTimestamp::julianDay(2100, 3, 1) - NtpTimestamp::julianDay(2100, 2, 28), 1) << "2100 is no leap year";
}

TEST(NtpTimestampTest, MillisecondTable)
{
    EXPECT_EQ(NtpTimestamp::millisecondFraction(0), 0u);
    EXPECT_EQ(NtpTimestamp::millisecondFraction(1), 4294967u);
    EXPECT_EQ(NtpTimestamp::millisecondFraction(500), 0x80000000u);
    EXPECT_EQ(NtpTimestamp::millisecondFraction(999), 4290672329u);
}

TEST(NtpTimestampTest, CalendarTimeToNtpSeconds)
{
    SYSTEMTIME unixEpoch{1970, 1, 4, 1, 0, 0, 0, 0};
    EXPECT_EQ(NtpTimestamp::fromSystemTime(unixEpoch).value, 2208988800ull << 32);
    SYSTEMTIME t{2026, 12, 4, 10, 13, 45, 30, 250};
    const NtpTimestamp n = NtpTimestamp::fromSystemTime(t);
    EXPECT_EQ(n.seconds(), 2208988800u + 1796910330u); // 2026-12-10 13:45:30 UTC in Unix time
    EXPECT_EQ(n.fraction(), 0x40000000u);
}

TEST(NtpTimestampTest, DifferenceDividesTheFractionByTwoToThe32MinusOne)
{
    EXPECT_DOUBLE_EQ(NtpTimestamp::difference(ts(1, 0xFFFFFFFF), ts(1, 0)), 1.0);
    EXPECT_DOUBLE_EQ(NtpTimestamp::difference(ts(5, 0), ts(2, 0)), 3.0);
    EXPECT_DOUBLE_EQ(NtpTimestamp::difference(ts(2, 0), ts(5, 0)), -3.0);
    // Borrow from the seconds into the fraction.
    EXPECT_NEAR(NtpTimestamp::difference(ts(3, 0), ts(1, 0x80000000)), 1.5, 1e-9);
    EXPECT_NEAR(NtpTimestamp::difference(ts(1, 0x80000000), ts(3, 0)), -1.5, 1e-9);
    EXPECT_EQ(NtpTimestamp::difference(ts(7, 7), ts(7, 7)), 0.0);
}

TEST(NtpTimestampTest, AddingSecondsCarriesAndBorrows)
{
    EXPECT_EQ(ts(1, 0x80000000).plus(0.5).seconds(), 1u);
    EXPECT_NEAR(NtpTimestamp::difference(ts(1, 0x80000000).plus(0.75), ts(2, 0)), 0.25, 1e-9);
    EXPECT_EQ(ts(10, 0).plus(-2.0), ts(8, 0));
    EXPECT_NEAR(NtpTimestamp::difference(ts(10, 0).plus(-0.25), ts(9, 0)), 0.75, 1e-9);
    EXPECT_EQ(ts(10, 0).plus(0.0), ts(10, 0));
}

// T1 = 1.0, T2 = T3 = 2.0, T4 = 1.5: delay 0.25 s, offset 1.5 - 2.25 = -0.75 s.
TEST(NtpTimestampTest, DelayAndOffsetOfTheWorkedExample)
{
    SntpSample s;
    s.originate = ts(1, 0);
    s.receive = ts(2, 0);
    s.transmit = ts(2, 0);
    s.arrival = ts(1, 0x80000000);
    s.computeDelayAndOffset();
    EXPECT_NEAR(s.delay, 0.25, 1e-9);
    EXPECT_NEAR(s.offset, -0.75, 1e-9);
}

TEST(NtpTimestampTest, NowFollowsTheSystemClock)
{
    SYSTEMTIME before;
    GetSystemTime(&before);
    const NtpTimestamp now = NtpTimestamp::now();
    const NtpTimestamp reference = NtpTimestamp::fromSystemTime(before);
    EXPECT_GE(NtpTimestamp::difference(now, reference), 0.0);
    EXPECT_LT(NtpTimestamp::difference(now, reference), 1.0);
}

} // namespace
