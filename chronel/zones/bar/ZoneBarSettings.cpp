#include "ZoneBarSettings.h"

#include "CRegistryKey.h"

#include <algorithm>
#include <vector>

namespace settings {

bool readStored(const Flag& value, bool& on)
{
    DWORD number = 0;
    if (!CRegistryKey(HKEY_CURRENT_USER, kRootPath).readDword(value.name, number))
        return false;
    on = number != 0;
    return true;
}

AppBarState readBarState(const AppBarState& defaults, size_t* storedWords)
{
    std::vector<BYTE> bytes;
    DWORD type = REG_NONE;
    if (!CRegistryKey(HKEY_CURRENT_USER, kRootPath).readAnyAlloc(kTimeZoneBarData, bytes, &type) || type != REG_BINARY)
        bytes.clear();
    if (storedWords)
        *storedWords = std::min(bytes.size(), AppBarState::kBytes) / 4;
    return bytes.empty() ? defaults : AppBarState::fromBytes(bytes.data(), bytes.size(), defaults);
}

bool writeBarState(const AppBarState& state)
{
    const auto bytes = state.toBytes();
    return CRegistryKey(HKEY_CURRENT_USER, kRootPath)
        .writeBinary(kTimeZoneBarData, bytes.data(), static_cast<DWORD>(bytes.size()));
}

} // namespace settings
