#include "ITimeZoneSetter.h"

#include "Privilege.h"

// Older headers lack the name; it is the same on every version that has the privilege.
#ifndef SE_TIME_ZONE_NAME
#define SE_TIME_ZONE_NAME L"SeTimeZonePrivilege"
#endif

bool CSystemTimeZoneSetter::setTimeZone(const TIME_ZONE_INFORMATION& zone)
{
    enablePrivilege(SE_TIME_ZONE_NAME);
    TIME_ZONE_INFORMATION copy = zone;
    return SetTimeZoneInformation(&copy) != FALSE;
}
