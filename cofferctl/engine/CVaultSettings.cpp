#include "CVaultSettings.h"

#include "CVaultRegKey.h"
#include "CModule.h"

namespace {
std::wstring withBackslash(std::wstring folder)
{
    if (folder.empty() || folder.back() != L'\\')
        folder += L'\\';
    return folder;
}
} // namespace

DWORD CVaultSettings::readSetting(const wchar_t* name, DWORD fallback)
{
    CVaultRegKey key(vaultkeys::Settings);
    DWORD value = fallback;
    key.readDword(name, value);
    return value;
}

std::wstring CVaultSettings::moduleFolder()
{
    const std::wstring folder = CModule::folder();
    return folder.empty() ? folder : folder + L"\\";
}

std::wstring CVaultSettings::defaultDataFolder()
{
    CVaultRegKey key(vaultkeys::Settings);
    std::wstring folder;
    if (key.readString(L"DefDataDir", folder))
        return withBackslash(folder);
    return withBackslash(moduleFolder() + L"Volumes");
}

DWORD CVaultSettings::vaultShortcutKey() { return readSetting(L"KSVK", 0); }
DWORD CVaultSettings::vaultShortcutModifiers() { return readSetting(L"KSMD", 0); }
bool CVaultSettings::popupMessages() { return readSetting(L"PopupMessages", 1) == 1; }
DWORD CVaultSettings::sortColumn() { return readSetting(L"SortCol", 0); }
bool CVaultSettings::sortAscending() { return readSetting(L"SortOrder", 1) != 0; }
DWORD CVaultSettings::inUseDetails() { return readSetting(L"PIDInfo", 0); }
DWORD CVaultSettings::inUseItems() { return readSetting(L"PIDItems", 0); }

bool CVaultSettings::sparseFilesEnabled()
{
    CVaultRegKey key(vaultkeys::SuiteRoot);
    DWORD value = 0;
    return key.readDword(L"EnableSparseFiles", value) && value == 1;
}
