#pragma once
// The current user's Run entry that starts Chronel with Windows.

#include <string>

inline constexpr wchar_t kRunKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"OrvelAppCenter.exe";

// The quoted program path, with " noShow" when the start is to check the clock and end.
std::wstring runEntryText(bool noShow);
// Writes the entry under HKEY_CURRENT_USER after deleting a machine-wide one of the same name.
bool writeRunEntry(bool noShow);
