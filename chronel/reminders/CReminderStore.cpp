#include "CReminderStore.h"

#include "CRegistryKey.h"
#include "ChronelSettings.h"

#include <cwchar>

namespace {

constexpr settings::Dword kReminderNumber{L"ReminderNumber", 0};

CRegistryKey remindersKey() { return CRegistryKey(HKEY_CURRENT_USER, CReminderStore::kPath); }

// A value name as the number it spells; names that are not decimal numbers read as 0, as a
// plain decimal conversion would.
long numberOf(const std::wstring& name) { return static_cast<long>(wcstol(name.c_str(), nullptr, 10)); }

} // namespace

bool CReminderStore::read(long number, ReminderRecord& out) const
{
    std::vector<BYTE> bytes;
    if (!remindersKey().readAnyAlloc(valueName(number).c_str(), bytes))
        return false;
    out = ReminderRecord::fromBytes(bytes.data(), bytes.size());
    return true;
}

bool CReminderStore::write(long number, const ReminderRecord& record) const
{
    const std::vector<BYTE> bytes = record.toBytes();
    return remindersKey().writeBinary(valueName(number).c_str(), bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool CReminderStore::remove(long number) const { return remindersKey().deleteValue(valueName(number).c_str()); }

bool CReminderStore::exists(long number) const
{
    std::vector<BYTE> bytes;
    return remindersKey().readAnyAlloc(valueName(number).c_str(), bytes);
}

long CReminderStore::count() const { return static_cast<long>(remindersKey().countValues()); }

bool CReminderStore::numberAt(long index, long& number) const
{
    if (index < 1)
        return false;
    CRegistryKey key = remindersKey();
    DWORD cursor = 0;
    std::wstring name;
    for (long i = 1; key.nextValueName(cursor, name); ++i) {
        if (i == index) {
            number = numberOf(name);
            return true;
        }
    }
    return false;
}

std::vector<std::pair<long, ReminderRecord>> CReminderStore::all() const
{
    std::vector<std::pair<long, ReminderRecord>> records;
    CRegistryKey key = remindersKey();
    DWORD cursor = 0;
    std::wstring name;
    std::vector<BYTE> bytes;
    while (key.nextValueName(cursor, name)) {
        if (key.readAnyAlloc(name.c_str(), bytes))
            records.emplace_back(numberOf(name), ReminderRecord::fromBytes(bytes.data(), bytes.size()));
    }
    return records;
}

long CReminderStore::nextNumber() const
{
    // A value already stored under the next number (written by another program, or left by a
    // counter that was reset) is passed over rather than written over.
    DWORD next = settings::read(kReminderNumber) + 1;
    while (exists(static_cast<long>(next)))
        ++next;
    settings::write(kReminderNumber, next);
    return static_cast<long>(next);
}
