#include "RunEntry.h"

#include "CRegistryKey.h"

#include <windows.h>

#include <vector>

namespace {
std::wstring modulePath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size())
            return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}
} // namespace

std::wstring runEntryText(bool noShow)
{
    std::wstring text = L"\"" + modulePath() + L"\"";
    if (noShow)
        text += L" noShow";
    return text;
}

bool writeRunEntry(bool noShow)
{
    HKEY machineRun;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_SET_VALUE, &machineRun) == ERROR_SUCCESS) {
        RegDeleteValueW(machineRun, kRunValueName);
        RegCloseKey(machineRun);
    }
    return CRegistryKey(HKEY_CURRENT_USER, kRunKeyPath).writeString(kRunValueName, runEntryText(noShow));
}
