#pragma once
// Stands in for SetTimeZoneInformation: records every zone asked for, and refuses like a
// process without the time-zone privilege when told to.

#include "ITimeZoneSetter.h"

#include <vector>

class CTimeZoneSetterStub : public ITimeZoneSetter {
public:
    bool setTimeZone(const TIME_ZONE_INFORMATION& zone) override
    {
        requests.push_back(zone);
        if (refuse) {
            SetLastError(ERROR_PRIVILEGE_NOT_HELD);
            return false;
        }
        return true;
    }

    bool refuse = false;
    std::vector<TIME_ZONE_INFORMATION> requests;
};
