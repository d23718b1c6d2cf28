#pragma once
// Present devices of any class, found by one of their hardware ids. The ids are read in
// the ANSI form and compared exactly, case included.

#include <windows.h>
#include <setupapi.h>

#include <functional>

class CPresentDevices {
public:
    using Visit = std::function<void(HDEVINFO list, SP_DEVINFO_DATA& device)>;

    static void forEachWithHardwareId(const char* hardwareId, const Visit& visit);
    static bool anyWithHardwareId(const char* hardwareId);
    // Removes each of them through its class installer.
    static void removeAll(const char* hardwareId);

    // True when the hardware id list of `device` holds `hardwareId`.
    static bool hasHardwareId(HDEVINFO list, SP_DEVINFO_DATA& device, const char* hardwareId);
};
