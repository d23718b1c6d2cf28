#pragma once
// Times of the Reminder dialog: seconds since 1970-01-01 00:00 UTC against the local
// SYSTEMTIME that the pickers show, the next due time of a reminder repeated every N days,
// and the time picker's format.

#include <windows.h>

#include <cstdint>
#include <string>

namespace remindertime {

constexpr int64_t kDay = 86400;

// Local time in the computer's zone, with the daylight rules of that date.
SYSTEMTIME toLocal(int64_t seconds);
int64_t fromLocal(const SYSTEMTIME& local);

// `local`'s date at `clock`'s hour, minute and second.
SYSTEMTIME withTimeOf(const SYSTEMTIME& local, const SYSTEMTIME& clock);

// The first due time of a reminder repeated every `days` days at `chosen`'s time of day:
// the next such time after `now` (at most one day away), then `days` - 1 days later.
int64_t firstRecurrence(int64_t chosen, int64_t now, int days);

// A time format without its seconds element and the separator that joins it to the rest.
std::wstring withoutSeconds(const std::wstring& format, const std::wstring& separator);

// The user's time format (LOCALE_STIMEFORMAT) without seconds.
std::wstring userTimeFormatWithoutSeconds();

} // namespace remindertime
