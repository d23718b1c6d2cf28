#pragma once
// The values the update keeps: plain ones under the settings root and "Install", enciphered
// ones under "Updates".

#include <string>

namespace updatesettings {

inline constexpr wchar_t kUpdatesPath[] = L"Software\\Orvel Software\\Velmora\\Updates";
inline constexpr wchar_t kInstallPath[] = L"Software\\Orvel Software\\Velmora\\Install";

// Enciphered under "Updates".
inline constexpr wchar_t kAboutText[] = L"uioutn";
inline constexpr wchar_t kMoreInfoUrl[] = L"ujtgkd";
inline constexpr wchar_t kNextCheck[] = L"puqwey";
inline constexpr wchar_t kServerListVersion[] = L"gkwdvt";

// Plain, under the settings root.
inline constexpr wchar_t kUpdateServer[] = L"UpdateServer";
inline constexpr wchar_t kRoot[] = L"root";
inline constexpr wchar_t kApp[] = L"app";

// False when the value is missing (or does not decipher).
bool readEnciphered(const wchar_t* name, std::wstring& text);
bool writeEnciphered(const wchar_t* name, const std::wstring& text);

} // namespace updatesettings
