#pragma once
// Names and defaults of the values under Chronel's settings root. Every read opens the key,
// reads one value and closes it again; a missing value or one of the wrong type gives the
// reader's default.

#include <windows.h>

#include <string>

namespace settings {

inline constexpr wchar_t kRootPath[] = L"Software\\Orvel Software\\Velmora";
inline constexpr wchar_t kLogsPath[] = L"Software\\Orvel Software\\Velmora\\Logs";

inline constexpr wchar_t kFirstRun[] = L"FirstRun";
inline constexpr wchar_t kAutocheck[] = L"Autocheck";
inline constexpr wchar_t kDailyUpdate[] = L"DailyUpdate";
inline constexpr wchar_t kHours[] = L"Hours";
inline constexpr wchar_t kNextUpdate[] = L"NextUpdate";
inline constexpr wchar_t kLastUpdate[] = L"LastUpdate";
inline constexpr wchar_t kExitOnCheck[] = L"ExitOnCheck";
inline constexpr wchar_t kShowSplashScreen[] = L"ShowSplashScreen";
inline constexpr wchar_t kTaskBarIcon[] = L"TaskBarIcon";
inline constexpr wchar_t kShowDateInTooltip[] = L"ShowDateInTooltip";
inline constexpr wchar_t kInternetCheck[] = L"InternetCheck";
inline constexpr wchar_t kCorrectionCount[] = L"CorrectionCount";
inline constexpr wchar_t kMeanCorrection[] = L"MeanCorrection";
inline constexpr wchar_t kLimitLog[] = L"LimitLog";
inline constexpr wchar_t kLogMaxSize[] = L"LogMaxSize";

// Defaults of the readers.
inline constexpr DWORD kDefaultAutocheck = 1;
inline constexpr DWORD kDefaultDailyUpdate = 1;
inline constexpr DWORD kDefaultHours = 4;
inline constexpr DWORD kDefaultExitOnCheck = 0;
inline constexpr DWORD kDefaultShowSplashScreen = 1;
inline constexpr DWORD kDefaultTaskBarIcon = 1;
inline constexpr DWORD kDefaultShowDateInTooltip = 0;
inline constexpr DWORD kDefaultInternetCheck = 1;
inline constexpr DWORD kDefaultCorrectionCount = 0;
inline constexpr wchar_t kDefaultMeanCorrection[] = L"0";
inline constexpr DWORD kDefaultLimitLog = 0;
inline constexpr DWORD kDefaultLogMaxSize = 0;

// "Server1" ... "Server5" for k = 1 ... 5.
std::wstring serverValueName(int k);

// Reads under the settings root (HKEY_CURRENT_USER).
DWORD readDword(const wchar_t* name, DWORD fallback);
// Flags: any nonzero value reads as 1.
DWORD readFlag(const wchar_t* name, DWORD fallback);
std::wstring readString(const wchar_t* name, const wchar_t* fallback);

bool writeDword(const wchar_t* name, DWORD value);
// Flags are always written as 0 or 1.
bool writeFlag(const wchar_t* name, bool value);
bool writeString(const wchar_t* name, const std::wstring& text);

} // namespace settings
