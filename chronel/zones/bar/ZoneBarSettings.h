#pragma once
// The time zone bar's values under Chronel's settings root.

#include "AppBarState.h"
#include "ChronelSettings.h"

namespace settings {

// 1 while the bar is shown: the application writes it; closing the bar by hand sets 0.
inline constexpr Flag kTimeZoneBar{L"TimeZoneBar", false};
// The user's choices; at opening they win over the copies inside "TimeZoneBarData".
inline constexpr Flag kTimeZoneBarAutoHide{L"TimeZoneBarAutoHide", false};
inline constexpr Flag kTimeZoneBarAlwaysOnTop{L"TimeZoneBarAlwaysOnTop", true};
// The bar's AppBarState, 48 bytes of REG_BINARY.
inline constexpr wchar_t kTimeZoneBarData[] = L"TimeZoneBarData";

// True when the flag is stored (as a DWORD); `on` is untouched otherwise.
bool readStored(const Flag& value, bool& on);
// "TimeZoneBarData" over `defaults` (at most its first 48 bytes); `defaults` when the value
// is missing or not REG_BINARY. `storedWords` receives how many whole words it held (0 to 12).
AppBarState readBarState(const AppBarState& defaults, size_t* storedWords = nullptr);
bool writeBarState(const AppBarState& state);

} // namespace settings
