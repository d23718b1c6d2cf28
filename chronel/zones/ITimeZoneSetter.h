#pragma once
// Sets the computer's time zone. The program calls SetTimeZoneInformation through this
// interface so that applying a zone can be exercised where the zone may not really be set.

#include <windows.h>

class ITimeZoneSetter {
public:
    virtual ~ITimeZoneSetter() = default;
    // False with the thread's last error set when the zone was not changed.
    virtual bool setTimeZone(const TIME_ZONE_INFORMATION& zone) = 0;
};

// SetTimeZoneInformation with the time-zone privilege enabled first: since Windows Vista
// the call needs it, and an administrator's token holds it disabled.
class CSystemTimeZoneSetter final : public ITimeZoneSetter {
public:
    bool setTimeZone(const TIME_ZONE_INFORMATION& zone) override;
};
