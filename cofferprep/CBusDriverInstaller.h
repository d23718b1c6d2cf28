#pragma once
// Installs the secure-disk bus driver: any bus device left from before is removed, a new
// root-enumerated device of the bus's hardware id is registered, and its driver is installed
// from the INF file.

#include "IDeviceAccess.h"

#include <string>

class CBusDriverInstaller {
public:
    explicit CBusDriverInstaller(IDeviceAccess& devices) : m_devices(devices) {}

    // True only when the driver was installed. On a failed driver installation the device
    // registered for it is removed again.
    bool install(const std::string& infPath);

private:
    IDeviceAccess& m_devices;
};
