#pragma once
// The reminders under "Software\Orvel Software\Velmora\Reminders", one value per reminder
// named by its number in decimal, and "ReminderNumber", the last number handed out.

#include "ReminderRecord.h"

#include <string>
#include <utility>
#include <vector>

class CReminderStore {
public:
    static constexpr wchar_t kPath[] = L"Software\\Orvel Software\\Velmora\\Reminders";

    // A value of any type, at most its first 1068 bytes; false when there is none.
    bool read(long number, ReminderRecord& out) const;
    bool write(long number, const ReminderRecord& record) const;
    bool remove(long number) const;
    bool exists(long number) const;

    // Values under the key, 0 when it is missing.
    long count() const;
    // The i-th value's name (1-based, registry order) read as a decimal number.
    bool numberAt(long index, long& number) const;
    // Every value read as a record, in registry order.
    std::vector<std::pair<long, ReminderRecord>> all() const;

    // "ReminderNumber" + 1, or the first number after it that no value holds, written back:
    // numbers are never handed out twice and no stored reminder is overwritten.
    long nextNumber() const;

    static std::wstring valueName(long number) { return std::to_wstring(number); }
};
