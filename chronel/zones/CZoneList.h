#pragma once
// The user's world locations under "Software\Orvel Software\Velmora\TimeZones": the home
// zone in the subkey "Local Zone" and the user zones in subkeys "1" to "TZNumber", each with a
// "Name" and a 16-byte "Data" record. The registry is read afresh by every operation.

#include "CZoneCatalogue.h"

#include <cstdint>
#include <string>

struct ZoneRecord {
    uint32_t catalogueIndex = 0;
    uint32_t showInBar = 0;
    uint32_t atThisLocation = 0;
    uint32_t showWhenHere = 0; // the negation of "do not display in the bar when here"

    // Shown in the time zone bar: chosen for it, and not left out while the user is there.
    bool inBar() const { return showInBar != 0 && (atThisLocation == 0 || showWhenHere != 0); }
};

class CZoneList {
public:
    static constexpr wchar_t kPath[] = L"Software\\Orvel Software\\Velmora\\TimeZones";
    static constexpr wchar_t kHomeKey[] = L"Local Zone";
    static constexpr long kHome = 0; // the home zone's number where an operation takes it

    // "TZNumber", 0 when absent.
    long count() const;
    bool exists(long n) const { return n >= 1 && n <= count(); }

    // Zone n (kHome: the home zone). False when the value is missing or not a 16-byte record.
    bool readRecord(long n, ZoneRecord& out) const;
    bool writeRecord(long n, const ZoneRecord& record) const;
    bool readName(long n, std::wstring& out) const;

    // S_FALSE cases answer false; `changed` is false for a move that is not allowed.
    bool deleteZone(long n) const;
    bool moveZone(long n, long step, bool& moved) const;
    bool setAtThisLocation(long n, bool here) const;

    // Saves zone n (kHome: the home zone): an existing zone's old values are deleted first,
    // and the save fails when its record is still there afterwards; a new zone (number
    // "TZNumber" + 1) raises "TZNumber" to its number.
    bool save(long n, bool isNew, const std::wstring& name, const ZoneRecord& record) const;

    // The home zone's name; on a clean profile it is made from the computer's own zone,
    // marked as where the user is and not shown in the bar while there.
    std::wstring homeZoneName(const CZoneCatalogue& catalogue) const;
    // The computer's zone in the catalogue (useSystem), or the home zone's stored index; -1
    // when there is none.
    long homeZoneIndex(bool useSystem, const CZoneCatalogue& catalogue) const;

    // Zones of the older layout (one binary value named by the zone's name) become "Name"
    // and "Data"; runs once, then "TZUpdated" says so.
    void convertOlderLayout() const;

    static std::wstring subkeyPath(long n);
};
