#include "ZoneTime.h"

namespace zonetime {

namespace {

constexpr LONGLONG kTicksPerMinute = 600000000LL; // 100-ns units

bool shift(const SYSTEMTIME& utc, LONG biasMinutes, SYSTEMTIME& local)
{
    FILETIME file;
    if (!SystemTimeToFileTime(&utc, &file))
        return false;
    ULARGE_INTEGER ticks;
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    ticks.QuadPart -= static_cast<ULONGLONG>(static_cast<LONGLONG>(biasMinutes) * kTicksPerMinute);
    file.dwLowDateTime = ticks.LowPart;
    file.dwHighDateTime = ticks.HighPart;
    return FileTimeToSystemTime(&file, &local) != FALSE;
}

bool nowIn(const ZoneDefinition& zone, SYSTEMTIME& local)
{
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    return localTime(zone.information, utc, local);
}

} // namespace

bool localTime(const TIME_ZONE_INFORMATION& zone, const SYSTEMTIME& utc, SYSTEMTIME& local)
{
    if (zone.DaylightDate.wMonth == 0)
        return shift(utc, zone.Bias + (zone.StandardDate.wMonth != 0 ? zone.StandardBias : 0), local);
    const auto week = [](const SYSTEMTIME& rule) { return rule.wDay >= 1 && rule.wDay <= 5; };
    if (zone.StandardDate.wMonth == 0 || !week(zone.StandardDate) || !week(zone.DaylightDate)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    TIME_ZONE_INFORMATION copy = zone; // the call takes a non-const pointer on older SDKs
    return SystemTimeToTzSpecificLocalTime(&copy, &utc, &local) != FALSE;
}

namespace {

// The zone's current time given to GetTimeFormatW or GetDateFormatW, which share one form.
template <typename Format>
std::wstring formatNow(const ZoneDefinition& zone, DWORD flags, Format format)
{
    SYSTEMTIME local;
    wchar_t text[256];
    if (!nowIn(zone, local) || !format(LOCALE_USER_DEFAULT, flags, &local, nullptr, text, 256))
        return std::wstring();
    return text;
}

} // namespace

std::wstring timeText(const ZoneDefinition& zone, DWORD flags) { return formatNow(zone, flags, GetTimeFormatW); }

std::wstring dateText(const ZoneDefinition& zone, DWORD flags) { return formatNow(zone, flags, GetDateFormatW); }

} // namespace zonetime
