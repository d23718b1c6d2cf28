#include "IClockSetter.h"

#include "Privilege.h"

bool CSystemClockSetter::setSystemTime(const SYSTEMTIME& utc)
{
    enablePrivilege(SE_SYSTEMTIME_NAME);
    return SetSystemTime(&utc) != FALSE;
}
