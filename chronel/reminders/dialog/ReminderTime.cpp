#include "ReminderTime.h"

namespace remindertime {

namespace {

// FILETIME counts 100-nanosecond ticks from 1601-01-01; 1970-01-01 is this many seconds later.
constexpr int64_t kEpochOffset = 11644473600;
constexpr int64_t kTicksPerSecond = 10000000;

} // namespace

SYSTEMTIME toLocal(int64_t seconds)
{
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<uint64_t>(seconds + kEpochOffset) * kTicksPerSecond;
    const FILETIME file{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utc{}, local{};
    FileTimeToSystemTime(&file, &utc);
    // A null zone is the current one; its daylight rules are applied for the date converted,
    // not for today as FileTimeToLocalFileTime would.
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return utc;
    return local;
}

int64_t fromLocal(const SYSTEMTIME& local)
{
    SYSTEMTIME clean = local;
    clean.wMilliseconds = 0;
    SYSTEMTIME utc{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &clean, &utc))
        utc = clean;
    FILETIME file{};
    if (!SystemTimeToFileTime(&utc, &file))
        return 0;
    ULARGE_INTEGER ticks;
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    return static_cast<int64_t>(ticks.QuadPart / kTicksPerSecond) - kEpochOffset;
}

SYSTEMTIME withTimeOf(const SYSTEMTIME& local, const SYSTEMTIME& clock)
{
    SYSTEMTIME out = local;
    out.wHour = clock.wHour;
    out.wMinute = clock.wMinute;
    out.wSecond = clock.wSecond;
    out.wMilliseconds = 0;
    return out;
}

int64_t firstRecurrence(int64_t chosen, int64_t now, int days)
{
    int64_t t = chosen;
    if (t < now)
        t += ((now - t) / kDay + 1) * kDay;
    if (t - now > kDay)
        t -= ((t - now) / kDay) * kDay;
    return t + static_cast<int64_t>(days - 1) * kDay;
}

std::wstring withoutSeconds(const std::wstring& format, const std::wstring& separator)
{
    std::wstring out = format;
    const size_t n = separator.size();
    bool quoted = false;
    for (size_t i = 0; i < out.size();) {
        const wchar_t c = out[i];
        if (c == L'\'') {
            quoted = !quoted; // text between quotes is shown as it is: an 's' there is a letter
            ++i;
            continue;
        }
        if (quoted || c != L's') {
            ++i;
            continue;
        }
        size_t from = i, to = i;
        while (to < out.size() && out[to] == L's')
            ++to;
        // The separator before the seconds goes with them ("h:mm:ss tt"); seconds that come
        // first take the one after them; seconds joined by words take their own unit along
        // ("H' h 'mm' min 'ss' s'").
        if (n && from >= n && out.compare(from - n, n, separator) == 0) {
            from -= n;
        } else if (n && out.compare(to, n, separator) == 0) {
            to += n;
        } else if (to < out.size() && out[to] == L'\'') {
            const size_t closing = out.find(L'\'', to + 1);
            to = closing == std::wstring::npos ? out.size() : closing + 1;
        }
        out.erase(from, to - from);
        i = from;
    }
    return out;
}

std::wstring userTimeFormatWithoutSeconds()
{
    // LOCALE_STIMEFORMAT holds at most 80 characters and LOCALE_STIME at most 4.
    wchar_t format[80] = {};
    wchar_t separator[8] = {};
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, format, 80))
        return std::wstring();
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, 8);
    return withoutSeconds(format, separator);
}

} // namespace remindertime
