#pragma once
// One reminder as it is stored: a REG_BINARY value of exactly 1068 bytes, little-endian, named
// by the reminder's number under "Reminders". The record is read and written field by field,
// so the layout is the same on every architecture and a short or damaged value is read only
// as far as it goes.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct ReminderRecord {
    static constexpr size_t kSize = 1068;
    static constexpr size_t kTextChars = 256;  // with the terminator
    static constexpr size_t kSoundChars = 260; // with the terminator
    // The sound repeat choices: 0 "(no sound)", 1 to 4 plays, 5 until stopped.
    static constexpr int kNoSound = 0;
    static constexpr int kContinuously = 5;

    std::wstring text;
    bool isCountdown = false;
    bool isRecurring = false;
    int32_t when = 0;  // dated: due time; countdown: duration in seconds
    int32_t start = 0; // when the record was saved (a countdown's start)
    int32_t intervalDays = 0;
    bool deleteWhenDone = false;
    int32_t state = 0; // 0 scheduled; anything else keeps it out of the schedule
    std::wstring soundFile;
    int32_t soundRepeat = 0;
    bool isSnooze = false;

    // Due time: a countdown's start plus its duration, else `when`.
    int64_t due() const { return isCountdown ? int64_t(start) + when : int64_t(when); }

    // The stored bytes; a shorter value gives the fields it covers and zero for the rest.
    // Texts end at their first zero or at the end of their field, whichever comes first.
    static ReminderRecord fromBytes(const BYTE* bytes, size_t size);
    std::vector<BYTE> toBytes() const;
};
