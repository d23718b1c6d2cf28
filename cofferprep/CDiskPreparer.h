#pragma once
// Makes Windows install the secure-disk driver: one disk is plugged into the new bus, the
// service prepares further instances once the disk has arrived, and every working disk is
// ejected again.

#include "CVaultServiceRun.h"
#include "CWaitFlags.h"
#include "IDeviceAccess.h"

#include <string>
#include <vector>

class CDiskPreparer {
public:
    CDiskPreparer(IDeviceAccess& devices, CWaitFlags& flags, CVaultServiceRun& service, bool windows2000)
        : m_devices(devices), m_flags(flags), m_service(service), m_windows2000(windows2000)
    {
    }

    void prepare();

private:
    // Sends the plug-in request to the first bus interface.
    bool requestDisk();
    // Instance ids of the disks that answer the disk query; false when an interface could not
    // be read completely, and then no disk may be ejected.
    bool listWorkingDisks(std::vector<std::wstring>& instanceIds);
    void eject(const std::wstring& instanceId);

    IDeviceAccess& m_devices;
    CWaitFlags& m_flags;
    CVaultServiceRun& m_service;
    bool m_windows2000;
};
