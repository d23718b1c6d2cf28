#pragma once
// The values under Chronel's settings root, each with the default its readers use: the one
// place where a setting's name and default are written down. Every read opens the key, reads
// one value and closes it again; a missing value or one of the wrong type gives the default.

#include <windows.h>

#include <string>

namespace settings {

inline constexpr wchar_t kRootPath[] = L"Software\\Orvel Software\\Velmora";
inline constexpr wchar_t kLogsPath[] = L"Software\\Orvel Software\\Velmora\\Logs";

// A DWORD number.
struct Dword {
    const wchar_t* name;
    DWORD fallback;
};
// A DWORD flag: any nonzero value reads as true; written as 0 or 1.
struct Flag {
    const wchar_t* name;
    bool fallback;
};
// A REG_SZ text (REG_EXPAND_SZ is read expanded).
struct Text {
    const wchar_t* name;
    const wchar_t* fallback;
};
// A DWORD point in time (seconds since 1970) that has no default: missing means never.
struct Time {
    const wchar_t* name;
};

inline constexpr Dword kFirstRun{L"FirstRun", 1}; // missing counts as the first run
inline constexpr Flag kAutocheck{L"Autocheck", true};
inline constexpr Flag kDailyUpdate{L"DailyUpdate", true};
inline constexpr Dword kHours{L"Hours", 4};
inline constexpr Time kNextUpdate{L"NextUpdate"};
inline constexpr Time kLastUpdate{L"LastUpdate"};
inline constexpr Flag kExitOnCheck{L"ExitOnCheck", false};
inline constexpr Flag kShowSplashScreen{L"ShowSplashScreen", true};
inline constexpr Flag kTaskBarIcon{L"TaskBarIcon", true};
inline constexpr Flag kShowDateInTooltip{L"ShowDateInTooltip", false};
inline constexpr Flag kInternetCheck{L"InternetCheck", true};
inline constexpr Dword kCorrectionCount{L"CorrectionCount", 0};
inline constexpr Text kMeanCorrection{L"MeanCorrection", L"0"};
inline constexpr Flag kLimitLog{L"LimitLog", false};
inline constexpr Dword kLogMaxSize{L"LogMaxSize", 0};

// The rescheduling after a successful check reads these two with defaults of its own: a
// missing Autocheck or DailyUpdate counts as off there.
inline constexpr Dword kAutocheckAfterCheck{kAutocheck.name, 0};
inline constexpr Dword kDailyUpdateAfterCheck{kDailyUpdate.name, 0};

// Time server k (1 ... 5): "Server1" ... "Server5", empty when missing.
inline constexpr int kServerCount = 5;
Text server(int k);

DWORD read(const Dword& value);
bool read(const Flag& value);
std::wstring read(const Text& value);
// False when the time is missing (or not a DWORD); `out` is untouched then.
bool read(const Time& value, DWORD& out);
// A flag's stored number as it is (its default as 0 or 1), for the readers that compare it
// with 1 rather than test it for nonzero.
DWORD stored(const Flag& value);

// Bit 0 of "Tempra" under HKEY_LOCAL_MACHINE "Software\\Orvel Software\\Products".
bool productPresent();

bool write(const Dword& value, DWORD number);
bool write(const Flag& value, bool on);
bool write(const Text& value, const std::wstring& text);
bool write(const Time& value, DWORD seconds);

} // namespace settings
