#pragma once
// Sets the system clock. The program calls SetSystemTime through this interface so that the
// correction can be exercised where the clock may not really be set.

#include <windows.h>

class IClockSetter {
public:
    virtual ~IClockSetter() = default;
    // The new time in UTC. False with the thread's last error set when the clock was not set.
    virtual bool setSystemTime(const SYSTEMTIME& utc) = 0;
};

// SetSystemTime, with the system-time privilege enabled first (it is present but disabled in
// an administrator's token).
class CSystemClockSetter : public IClockSetter {
public:
    bool setSystemTime(const SYSTEMTIME& utc) override;
};
