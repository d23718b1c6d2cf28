#include "TimeText.h"

#include <ctime>

namespace {
constexpr ULONGLONG kUnixEpochAsFileTime = 116444736000000000ull; // 1970-01-01 in 100 ns units
constexpr ULONGLONG kTicksPerSecond = 10000000ull;
} // namespace

DWORD currentTimeSeconds() { return static_cast<DWORD>(std::time(nullptr)); }

std::wstring formatLocalDateTime(const SYSTEMTIME& local)
{
    wchar_t date[128] = {}, time[128] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 128);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &local, nullptr, time, 128);
    return std::wstring(date) + L" " + time;
}

std::wstring formatLocalDateTime(DWORD utcSeconds)
{
    ULARGE_INTEGER ticks;
    ticks.QuadPart = kUnixEpochAsFileTime + utcSeconds * kTicksPerSecond;
    FILETIME utc{ticks.LowPart, ticks.HighPart}, local;
    SYSTEMTIME fields;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &fields))
        return {};
    return formatLocalDateTime(fields);
}
