#include "CZoneCatalogue.h"

#include "CWindowsVersion.h"
#include "RegistryValue.h"
#include "UniqueHandle.h"

#include <cwchar>

namespace {

// "Std", "Dlt" and "Display" are read into a buffer of 64 units: a longer value reads as empty.
constexpr DWORD kTextBytes = 64 * sizeof(wchar_t);
constexpr DWORD kTziBytes = 44;

std::wstring readText(HKEY key, const wchar_t* name)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!queryRegistryValue(key, name, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ) ||
        data.size() > kTextBytes)
        return std::wstring();
    return registryText(data);
}

std::unique_ptr<ZoneDefinition> readZone(HKEY key)
{
    auto zone = std::make_unique<ZoneDefinition>();
    zone->setNames(readText(key, L"Std"), readText(key, L"Dlt"));
    zone->display = readText(key, L"Display");
    zone->mapId = readText(key, L"MapID");
    DWORD type = 0;
    std::vector<BYTE> tzi;
    if (queryRegistryValue(key, L"TZI", type, tzi) && type == REG_BINARY)
        zone->setRules(tzi.data(), std::min<size_t>(tzi.size(), kTziBytes));
    return zone;
}

} // namespace

int CZoneCatalogue::sortKey(const std::wstring& display)
{
    const size_t first = display.find_first_of(L"+-01234567890");
    if (first == std::wstring::npos)
        return 0;
    // Five characters from there without the fourth (the colon): "+05:30" gives "+053".
    std::wstring digits = display.substr(first, 5);
    if (digits.size() >= 4)
        digits.erase(3, 1);
    return static_cast<int>(wcstol(digits.c_str(), nullptr, 10));
}

void CZoneCatalogue::insert(std::unique_ptr<ZoneDefinition> zone)
{
    const int key = sortKey(zone->display);
    size_t low = 0, high = m_zones.size();
    while (low < high) {
        const size_t middle = (low + high) / 2;
        const ZoneDefinition& m = *m_zones[middle];
        const int middleKey = sortKey(m.display);
        if (middleKey == key && m.display == zone->display)
            return; // the same zone twice
        // std::wstring compares code units, as the plain comparison of the two texts does.
        if (middleKey < key || (middleKey == key && m.display < zone->display))
            low = middle + 1;
        else
            high = middle;
    }
    m_zones.insert(m_zones.begin() + static_cast<std::ptrdiff_t>(low), std::move(zone));
}

void CZoneCatalogue::load()
{
    clear();
    switch (CWindowsVersion::platformId()) {
    case VER_PLATFORM_WIN32_NT:
        loadFrom(HKEY_LOCAL_MACHINE, kNtPath);
        break;
    case VER_PLATFORM_WIN32_WINDOWS:
        loadFrom(HKEY_LOCAL_MACHINE, kWindows9xPath);
        break;
    default:
        break;
    }
}

void CZoneCatalogue::loadFrom(HKEY root, const wchar_t* path)
{
    clear();
    CKeyHandle zones;
    if (RegOpenKeyExW(root, path, 0, KEY_ENUMERATE_SUB_KEYS | KEY_READ, zones.put()) != ERROR_SUCCESS)
        return;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        const LONG status = RegEnumKeyExW(zones.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue; // a name no zone has; the next one may be fine
        if (status != ERROR_SUCCESS)
            break;
        CKeyHandle zone;
        if (RegOpenKeyExW(zones.get(), name, 0, KEY_READ, zone.put()) != ERROR_SUCCESS)
            continue;
        insert(readZone(zone.get()));
    }
}

long CZoneCatalogue::findByStandardName(const std::wstring& standardName) const
{
    for (size_t i = 0; i < m_zones.size(); ++i) {
        if (m_zones[i]->standardName() == standardName)
            return static_cast<long>(i);
    }
    return -1;
}
