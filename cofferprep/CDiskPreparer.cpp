#include "CDiskPreparer.h"

#include "CPresentDevices.h"
#include "SecureDisk.h"


void CDiskPreparer::prepare()
{
    // A disk that is there already means the disk driver is installed: nothing to do.
    if (CPresentDevices::anyWithHardwareId(securedisk::kDiskHardwareId))
        return;

    m_flags.raise(WaitFlag::Arrival);
    if (!requestDisk())
        return;
    m_flags.waitUntilCleared(WaitFlag::Arrival);

    if (!m_windows2000)
        m_service.runOnce();

    std::vector<std::wstring> disks;
    if (!listWorkingDisks(disks))
        return;
    for (const std::wstring& instanceId : disks)
        eject(instanceId);
}

bool CDiskPreparer::requestDisk()
{
    std::wstring path;
    if (!m_devices.firstInterfacePath(securedisk::kBusInterface, path))
        return false;

    securedisk::PlugInRequest request = securedisk::plugInRequest();
    DWORD returned = 0;
    return m_devices.ioControl(path, securedisk::kIoctlPlugIn, &request, sizeof request, &request, sizeof request,
                               returned);
}

bool CDiskPreparer::listWorkingDisks(std::vector<std::wstring>& instanceIds)
{
    std::vector<DeviceInterface> interfaces;
    bool complete = m_devices.listInterfaces(securedisk::kDiskInterface, interfaces);
    for (const DeviceInterface& disk : interfaces) {
        BYTE answer[securedisk::kStatusBytes];
        DWORD returned = 0;
        if (!m_devices.ioControl(disk.path, securedisk::kIoctlDiskStatus, nullptr, 0, answer, sizeof answer, returned) ||
            returned < securedisk::kStatusMinimumBytes)
            continue;
        // Without its instance id a disk cannot be told apart: an empty id would locate the
        // root of the device tree.
        if (!disk.instanceId.empty())
            instanceIds.push_back(disk.instanceId);
    }
    return complete;
}

void CDiskPreparer::eject(const std::wstring& instanceId)
{
    m_flags.raise(WaitFlag::Removal);
    DEVINST node = 0;
    ULONG status = 0;
    if (!m_devices.locateDevNode(instanceId, node) || !m_devices.devNodeStatus(node, status) ||
        !(status & DN_STARTED))
        return;
    std::wstring vetoName;
    if (m_devices.requestEject(node, vetoName) && vetoName.empty())
        m_flags.waitUntilCleared(WaitFlag::Removal);
}
