#pragma once
// 64-bit NTP time: whole seconds since 1900-01-01 00:00 UTC in the high word, the binary
// fraction of a second in the low word. Integer arithmetic on `value` carries from the
// fraction into the seconds.

#include <windows.h>

#include <cstdint>

struct NtpTimestamp {
    uint64_t value = 0;

    static constexpr NtpTimestamp fromParts(uint32_t seconds, uint32_t fraction)
    {
        return NtpTimestamp{(static_cast<uint64_t>(seconds) << 32) | fraction};
    }

    uint32_t seconds() const { return static_cast<uint32_t>(value >> 32); }
    uint32_t fraction() const { return static_cast<uint32_t>(value); }
    bool isZero() const { return value == 0; }

    // The current UTC time of the system clock.
    static NtpTimestamp now();
    // From UTC calendar fields, with the millisecond taken through the fraction table.
    static NtpTimestamp fromSystemTime(const SYSTEMTIME& utc);

    // a - b in seconds. The fraction word counts in units of 1/(2^32 - 1) s, so that a
    // fraction of 0xFFFFFFFF is exactly one second.
    static double difference(NtpTimestamp a, NtpTimestamp b);
    // This time moved by d seconds (whole seconds into the high word, the rest times
    // 2^32 - 1 into the low word, added or taken away as one 64-bit amount).
    NtpTimestamp plus(double seconds) const;

    // Julian Day Number of a Gregorian date, by the integer formula.
    static int32_t julianDay(int year, int month, int day);
    // round(ms * 2^32 / 1000) for ms in 0..999.
    static uint32_t millisecondFraction(unsigned ms);

    friend bool operator==(NtpTimestamp a, NtpTimestamp b) { return a.value == b.value; }
};

// Julian Day Number of 1900-01-01, the NTP era's day 0.
inline constexpr int32_t kJulianDay1900 = 2415021;
