#pragma once
// Stands in for SetSystemTime: records every requested time, and refuses like a process
// without the system-time privilege when told to.

#include "IClockSetter.h"

#include <functional>
#include <vector>

class CClockSetterStub : public IClockSetter {
public:
    bool setSystemTime(const SYSTEMTIME& utc) override
    {
        requests.push_back(utc);
        GetSystemTimeAsFileTime(&askedAt.emplace_back());
        if (refuse) {
            SetLastError(ERROR_PRIVILEGE_NOT_HELD);
            return false;
        }
        if (onSet)
            onSet();
        return true;
    }

    // Seconds between the requested time and the real time when it was requested.
    double correctionOf(size_t i) const
    {
        FILETIME requested;
        SystemTimeToFileTime(&requests.at(i), &requested);
        auto ticks = [](const FILETIME& f) {
            return static_cast<long long>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
        };
        return static_cast<double>(ticks(requested) - ticks(askedAt.at(i))) / 1e7;
    }

    bool refuse = false;
    // Runs after a time was accepted, as the system's report of the change would.
    std::function<void()> onSet;
    std::vector<SYSTEMTIME> requests;
    std::vector<FILETIME> askedAt;
};
