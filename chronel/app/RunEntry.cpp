#include "RunEntry.h"

#include "CModule.h"
#include "CRegistryKey.h"

#include <windows.h>

std::wstring runEntryText(bool noShow)
{
    std::wstring text = L"\"" + CModule::pathOf(nullptr) + L"\"";
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
