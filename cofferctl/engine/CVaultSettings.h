#pragma once
// The vault's keys in the current user's registry and its option values with their defaults.
// Nothing is cached: every getter reads the registry afresh.

#include <windows.h>

#include <string>

namespace vaultkeys {
inline constexpr const wchar_t* Settings = L"Software\\Orvel Software\\Orvel.Cofferix\\Settings";
inline constexpr const wchar_t* Vaults = L"Software\\Orvel Software\\Orvel.Cofferix\\Vaults";
inline constexpr const wchar_t* SuiteRoot = L"Software\\Orvel Software\\Velmora";
} // namespace vaultkeys

class CVaultSettings {
public:
    // "DefDataDir" when it can be read, else "Volumes" beside the module that holds the vault;
    // always with a trailing backslash.
    static std::wstring defaultDataFolder();

    static DWORD vaultShortcutKey();       // "KSVK", 0
    static DWORD vaultShortcutModifiers(); // "KSMD", 0
    static bool popupMessages();           // "PopupMessages" == 1, default 1
    static DWORD sortColumn();             // "SortCol", 0
    static bool sortAscending();           // "SortOrder", 1 = ascending (default)
    static DWORD inUseDetails();           // "PIDInfo", 0
    static DWORD inUseItems();             // "PIDItems", 0
    // The suite-wide "EnableSparseFiles" is 1.
    static bool sparseFilesEnabled();

    // Folder of the module (DLL or program) that holds the vault code, with a trailing backslash.
    static std::wstring moduleFolder();

private:
    static DWORD readSetting(const wchar_t* name, DWORD fallback);
};
