#include "NtpTimestamp.h"

#include <array>
#include <cmath>

namespace {

// Units of one fraction step: 1 / (2^32 - 1).
constexpr double kFractionUnit = 2.3283064370807974e-10;
constexpr double kFractionScale = 4294967295.0;

constexpr std::array<uint32_t, 1000> makeMillisecondTable()
{
    std::array<uint32_t, 1000> table{};
    for (uint64_t k = 0; k < 1000; ++k)
        table[k] = static_cast<uint32_t>(((k << 32) + 500) / 1000); // rounded to nearest
    return table;
}

constexpr std::array<uint32_t, 1000> kMillisecondTable = makeMillisecondTable();

} // namespace

int32_t NtpTimestamp::julianDay(int year, int month, int day)
{
    int32_t y = year, m = month;
    if (m > 2) {
        m -= 3;
    } else {
        m += 9;
        y -= 1;
    }
    int32_t c = y / 100;
    int32_t ya = y - 100 * c;
    return (146097 * c) / 4 + (1461 * ya) / 4 + (153 * m + 2) / 5 + day + 1721119;
}

uint32_t NtpTimestamp::millisecondFraction(unsigned ms) { return kMillisecondTable[ms % 1000]; }

NtpTimestamp NtpTimestamp::fromSystemTime(const SYSTEMTIME& utc)
{
    uint64_t days = static_cast<uint64_t>(julianDay(utc.wYear, utc.wMonth, utc.wDay) - kJulianDay1900);
    uint64_t seconds = ((days * 24 + utc.wHour) * 60 + utc.wMinute) * 60 + utc.wSecond;
    return fromParts(static_cast<uint32_t>(seconds), millisecondFraction(utc.wMilliseconds));
}

NtpTimestamp NtpTimestamp::now()
{
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    return fromSystemTime(utc);
}

double NtpTimestamp::difference(NtpTimestamp a, NtpTimestamp b)
{
    bool negative = a.value < b.value;
    uint64_t magnitude = negative ? b.value - a.value : a.value - b.value;
    double seconds = static_cast<double>(magnitude >> 32)
        + static_cast<double>(static_cast<uint32_t>(magnitude)) * kFractionUnit;
    return negative ? -seconds : seconds;
}

NtpTimestamp NtpTimestamp::plus(double seconds) const
{
    double magnitude = std::fabs(seconds);
    double whole = std::floor(magnitude);
    uint64_t amount = (static_cast<uint64_t>(whole) << 32)
        + static_cast<uint32_t>((magnitude - whole) * kFractionScale);
    return NtpTimestamp{seconds >= 0 ? value + amount : value - amount};
}
