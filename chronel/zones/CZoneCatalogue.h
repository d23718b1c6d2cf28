#pragma once
// Every time zone the system knows, read from the time-zone database under
// HKEY_LOCAL_MACHINE and kept sorted by UTC offset: a catalogue index is a position in this
// order, and it is what the user's zone list stores.

#include "ZoneDefinition.h"

#include <memory>
#include <string>
#include <vector>

class CZoneCatalogue {
public:
    static constexpr wchar_t kNtPath[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";
    static constexpr wchar_t kWindows9xPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Time Zones";

    // The database of this platform (the NT family's or the Windows 95 family's key).
    void load();
    // The zones under any key (tests give a database of their own).
    void loadFrom(HKEY root, const wchar_t* path);
    void clear() { m_zones.clear(); }

    // Inserts by binary search on the sort key, then the display text in code-unit order; a
    // zone with the same key and display text as one already there is dropped.
    void insert(std::unique_ptr<ZoneDefinition> zone);

    size_t count() const { return m_zones.size(); }
    bool valid(long index) const { return index >= 0 && static_cast<size_t>(index) < m_zones.size(); }
    const ZoneDefinition& at(size_t index) const { return *m_zones[index]; }
    // The first zone whose standard name is `standardName`, or -1.
    long findByStandardName(const std::wstring& standardName) const;

    // The UTC offset in hours and tens of minutes from the first sign or digit of a display
    // text: "(GMT+05:30) ..." gives 53, "(GMT-08:00) ..." -80; no sign or digit gives 0.
    static int sortKey(const std::wstring& display);

private:
    std::vector<std::unique_ptr<ZoneDefinition>> m_zones;
};
