#pragma once
// The texts the pages show for a reminder: its time left and when it is due.

#include "ReminderRecord.h"

#include <cstdint>
#include <string>

namespace remindertext {

// A time span: "%H:%M:%S" under one day, "1 day, %H:%M:%S", "%D days, %H:%M:%S"; a negative
// span is shown as zero.
std::wstring remaining(int64_t seconds);

// "Every day", "Every %d days", or the due date as "%A, %B %d, %Y" in local time; a countdown
// shows "Snooze" or "Countdown" instead.
std::wstring when(const ReminderRecord& record);

} // namespace remindertext
