#include "ChronelSettings.h"

#include "CRegistryKey.h"

namespace settings {

std::wstring serverValueName(int k) { return L"Server" + std::to_wstring(k); }

DWORD readDword(const wchar_t* name, DWORD fallback)
{
    DWORD value = fallback;
    CRegistryKey(HKEY_CURRENT_USER, kRootPath).readDword(name, value);
    return value;
}

DWORD readFlag(const wchar_t* name, DWORD fallback) { return readDword(name, fallback) != 0 ? 1 : 0; }

std::wstring readString(const wchar_t* name, const wchar_t* fallback)
{
    std::wstring value = fallback;
    CRegistryKey(HKEY_CURRENT_USER, kRootPath).readString(name, value);
    return value;
}

bool writeDword(const wchar_t* name, DWORD value)
{
    return CRegistryKey(HKEY_CURRENT_USER, kRootPath).writeDword(name, value);
}

bool writeFlag(const wchar_t* name, bool value) { return writeDword(name, value ? 1 : 0); }

bool writeString(const wchar_t* name, const std::wstring& text)
{
    return CRegistryKey(HKEY_CURRENT_USER, kRootPath).writeString(name, text);
}

} // namespace settings
