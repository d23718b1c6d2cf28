#pragma once
// The wall-clock time in a catalogue zone, with its own daylight-saving rules.

#include "ZoneDefinition.h"

#include <string>

namespace zonetime {

// The zone's local time at the UTC moment `utc`. A transition takes effect at its own time
// of day, as Windows computes it for its own zone (SystemTimeToTzSpecificLocalTime); a zone
// without daylight time is at Bias, plus StandardBias when its rules name a standard date.
// False, with ERROR_INVALID_PARAMETER, for daylight rules without a standard date or with a
// week outside 1 to 5.
bool localTime(const TIME_ZONE_INFORMATION& zone, const SYSTEMTIME& utc, SYSTEMTIME& local);

// The zone's current time or date, formatted for the user's default locale with the
// GetTimeFormatW or GetDateFormatW flags; empty when it cannot be computed.
std::wstring timeText(const ZoneDefinition& zone, DWORD flags);
std::wstring dateText(const ZoneDefinition& zone, DWORD flags);

} // namespace zonetime
