#pragma once
// One zone of the system's time-zone database: the text Windows shows for it, its rules as a
// TIME_ZONE_INFORMATION, and its map id (kept, not interpreted).

#include <windows.h>

#include <string>

struct ZoneDefinition {
    std::wstring display;
    TIME_ZONE_INFORMATION information{};
    std::wstring mapId;

    // The 44-byte "TZI" value: Bias, StandardBias, DaylightBias, StandardDate, DaylightDate,
    // little-endian. Bytes past `size` read as zero.
    void setRules(const BYTE* tzi, size_t size);
    // "Std" and "Dlt": at most 31 characters are kept.
    void setNames(const std::wstring& standard, const std::wstring& daylight);
    std::wstring standardName() const { return information.StandardName; }
};
