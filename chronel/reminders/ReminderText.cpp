#include "ReminderText.h"

#include <cstdio>
#include <ctime>

namespace remindertext {

std::wstring remaining(int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    const int64_t days = seconds / 86400;
    const int hours = static_cast<int>(seconds / 3600 % 24);
    const int minutes = static_cast<int>(seconds / 60 % 60);
    const int secs = static_cast<int>(seconds % 60);
    wchar_t buffer[64];
    if (days == 0)
        swprintf(buffer, 64, L"%02d:%02d:%02d", hours, minutes, secs);
    else
        swprintf(buffer, 64, L"%lld %ls, %02d:%02d:%02d", static_cast<long long>(days), days == 1 ? L"day" : L"days",
                 hours, minutes, secs);
    return buffer;
}

std::wstring when(const ReminderRecord& record)
{
    if (record.isCountdown)
        return record.isSnooze ? L"Snooze" : L"Countdown";
    if (record.isRecurring) {
        if (record.intervalDays == 1)
            return L"Every day";
        return L"Every " + std::to_wstring(record.intervalDays) + L" days";
    }
    const __time64_t at = record.when;
    struct tm local {};
    if (_localtime64_s(&local, &at) != 0)
        return std::wstring();
    wchar_t buffer[128];
    const size_t length = wcsftime(buffer, 128, L"%A, %B %d, %Y", &local);
    return std::wstring(buffer, length);
}

} // namespace remindertext
