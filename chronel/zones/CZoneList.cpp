#include "CZoneList.h"

#include "CRegistryKey.h"
#include "LittleEndian.h"
#include "RegistryValue.h"
#include "UniqueHandle.h"

#include <vector>

namespace {

constexpr wchar_t kNumber[] = L"TZNumber";
constexpr wchar_t kUpdated[] = L"TZUpdated";
constexpr wchar_t kName[] = L"Name";
constexpr wchar_t kData[] = L"Data";
constexpr DWORD kRecordBytes = 16;
constexpr size_t kNameChars = 256;

CRegistryKey listKey() { return CRegistryKey(HKEY_CURRENT_USER, CZoneList::kPath); }
CRegistryKey zoneKey(long n) { return CRegistryKey(HKEY_CURRENT_USER, CZoneList::subkeyPath(n)); }

std::vector<BYTE> toBytes(const ZoneRecord& r)
{
    std::vector<BYTE> out(kRecordBytes);
    const uint32_t words[] = {r.catalogueIndex, r.showInBar, r.atThisLocation, r.showWhenHere};
    for (size_t w = 0; w < 4; ++w)
        writeLittleEndian<uint32_t>(out.data() + 4 * w, words[w]);
    return out;
}

ZoneRecord fromBytes(const BYTE* bytes)
{
    uint32_t words[4] = {};
    for (size_t w = 0; w < 4; ++w)
        words[w] = readLittleEndian<uint32_t>(bytes + 4 * w);
    return ZoneRecord{words[0], words[1], words[2], words[3]};
}

bool readRecordAt(CRegistryKey& key, const wchar_t* name, ZoneRecord& out)
{
    std::vector<BYTE> data;
    DWORD type = 0;
    if (!key.readAnyAlloc(name, data, &type) || type != REG_BINARY || data.size() < kRecordBytes)
        return false;
    out = fromBytes(data.data());
    return true;
}

bool writeRecordAt(CRegistryKey& key, const ZoneRecord& record)
{
    const std::vector<BYTE> bytes = toBytes(record);
    return key.writeBinary(kData, bytes.data(), kRecordBytes);
}

std::wstring capped(std::wstring name)
{
    if (name.size() > kNameChars)
        name.resize(kNameChars);
    return name;
}

} // namespace

std::wstring CZoneList::subkeyPath(long n)
{
    return std::wstring(kPath) + L"\\" + (n == kHome ? std::wstring(kHomeKey) : std::to_wstring(n));
}

long CZoneList::count() const
{
    DWORD number = 0;
    listKey().readDword(kNumber, number);
    return static_cast<long>(number);
}

bool CZoneList::readRecord(long n, ZoneRecord& out) const
{
    CRegistryKey key = zoneKey(n);
    return readRecordAt(key, kData, out);
}

bool CZoneList::writeRecord(long n, const ZoneRecord& record) const
{
    CRegistryKey key = zoneKey(n);
    return writeRecordAt(key, record);
}

bool CZoneList::readName(long n, std::wstring& out) const { return zoneKey(n).readString(kName, out); }

bool CZoneList::deleteZone(long n) const
{
    const long last = count();
    if (n < 1 || n > last)
        return false;
    for (long k = n; k < last; ++k) {
        CRegistryKey target = zoneKey(k);
        if (!target.deleteValue(kName) || !target.deleteValue(kData))
            return false; // "TZNumber" stays as it was
        CRegistryKey source = zoneKey(k + 1);
        std::wstring name;
        ZoneRecord record;
        if (readRecordAt(source, kData, record))
            writeRecordAt(target, record);
        if (source.readString(kName, name))
            target.writeString(kName, name);
    }
    CKeyHandle list;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kPath, 0, KEY_READ | KEY_WRITE, list.put()) == ERROR_SUCCESS)
        RegDeleteKeyW(list.get(), std::to_wstring(last).c_str());
    listKey().writeDword(kNumber, static_cast<DWORD>(last - 1));
    return true;
}

bool CZoneList::moveZone(long n, long step, bool& moved) const
{
    moved = false;
    const long last = count();
    if (n < 1 || n > last)
        return false;
    if (!((step > 0 && n < last) || (step < 0 && n > 1)))
        return true;
    const long other = n + step; // a zone beyond the list has no record: nothing moves
    CRegistryKey first = zoneKey(n);
    CRegistryKey second = zoneKey(other);
    ZoneRecord a, b;
    if (!readRecordAt(first, kData, a))
        return false;
    if (!readRecordAt(second, kData, b))
        return true;
    std::wstring nameA, nameB;
    first.readString(kName, nameA);
    second.readString(kName, nameB);
    for (CRegistryKey* key : {&first, &second}) {
        key->deleteValue(kData);
        key->deleteValue(kName);
    }
    writeRecordAt(first, b);
    first.writeString(kName, nameB);
    writeRecordAt(second, a);
    second.writeString(kName, nameA);
    moved = true;
    return true;
}

bool CZoneList::setAtThisLocation(long n, bool here) const
{
    if (n < 0 || n > count())
        return false;
    ZoneRecord record;
    readRecord(n, record); // a missing record is written anew with the other words 0
    record.atThisLocation = here ? 1 : 0;
    return writeRecord(n, record);
}

bool CZoneList::save(long n, bool isNew, const std::wstring& name, const ZoneRecord& record) const
{
    CRegistryKey key = zoneKey(n);
    if (!isNew) {
        key.deleteValue(kData);
        key.deleteValue(kName);
        ZoneRecord left;
        if (readRecordAt(key, kData, left))
            return false; // the old record could not be removed: nothing of ours can be written
    }
    if (!writeRecordAt(key, record) || !key.writeString(kName, capped(name)))
        return false;
    if (isNew && n != kHome)
        return listKey().writeDword(kNumber, static_cast<DWORD>(n));
    return true;
}

std::wstring CZoneList::homeZoneName(const CZoneCatalogue& catalogue) const
{
    std::wstring name;
    if (readName(kHome, name))
        return name;
    TIME_ZONE_INFORMATION own{};
    const DWORD which = GetTimeZoneInformation(&own);
    if (which == TIME_ZONE_ID_STANDARD)
        name = own.StandardName;
    else if (which == TIME_ZONE_ID_DAYLIGHT)
        name = own.DaylightName;
    else
        name = kHomeKey;
    const long found = catalogue.findByStandardName(own.StandardName);
    // Where the user is, and so left out of the bar while there.
    const ZoneRecord record{static_cast<uint32_t>(found < 0 ? 0 : found), 1, 1, 0};
    writeRecord(kHome, record);
    zoneKey(kHome).writeString(kName, name);
    listKey().writeDword(kUpdated, 1);
    return name;
}

long CZoneList::homeZoneIndex(bool useSystem, const CZoneCatalogue& catalogue) const
{
    if (useSystem) {
        TIME_ZONE_INFORMATION own{};
        GetTimeZoneInformation(&own);
        return catalogue.findByStandardName(own.StandardName);
    }
    ZoneRecord record;
    return readRecord(kHome, record) ? static_cast<long>(record.catalogueIndex) : -1;
}

void CZoneList::convertOlderLayout() const
{
    DWORD updated = 0;
    if (listKey().readDword(kUpdated, updated))
        return;
    const long last = count();
    for (long n = kHome; n <= last; ++n) {
        CRegistryKey key = zoneKey(n);
        DWORD cursor = 0;
        std::wstring oldName;
        if (!key.nextValueName(cursor, oldName))
            continue;
        if (oldName.size() > kNameChars)
            oldName.resize(kNameChars);
        ZoneRecord record;
        if (!readRecordAt(key, oldName.c_str(), record))
            continue;
        key.deleteValue(oldName.c_str());
        writeRecordAt(key, record);
        key.writeString(kName, oldName);
    }
    listKey().writeDword(kUpdated, 1);
}
