#pragma once
// Points in time as the settings store them (seconds since 1970-01-01 00:00 UTC) and as the
// user reads them.

#include <windows.h>

#include <string>

// The current time in seconds since 1970 UTC.
DWORD currentTimeSeconds();

// Date and time in the user's default locale (its short date and its time format).
std::wstring formatLocalDateTime(DWORD utcSeconds);
std::wstring formatLocalDateTime(const SYSTEMTIME& local);
