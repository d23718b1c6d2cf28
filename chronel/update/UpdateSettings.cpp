#include "UpdateSettings.h"

#include "CRegistryKey.h"

namespace updatesettings {

bool readEnciphered(const wchar_t* name, std::wstring& text)
{
    CRegistryKey key(HKEY_CURRENT_USER, kUpdatesPath);
    return key.readEnciphered(name, text);
}

bool writeEnciphered(const wchar_t* name, const std::wstring& text)
{
    CRegistryKey key(HKEY_CURRENT_USER, kUpdatesPath);
    return key.writeEnciphered(name, text);
}

} // namespace updatesettings
