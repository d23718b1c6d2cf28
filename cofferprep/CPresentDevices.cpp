#include "CPresentDevices.h"

#include "SetupHandles.h"

#include <cstring>
#include <vector>

bool CPresentDevices::hasHardwareId(HDEVINFO list, SP_DEVINFO_DATA& device, const char* hardwareId)
{
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyA(list, &device, SPDRP_HARDWAREID, nullptr, nullptr, 0, &size);
    if (size == 0)
        return false;
    // Two spare zero bytes end the list even when the stored one is not terminated.
    std::vector<char> ids(size + 2, '\0');
    if (!SetupDiGetDeviceRegistryPropertyA(list, &device, SPDRP_HARDWAREID, nullptr,
                                           reinterpret_cast<BYTE*>(ids.data()), size, nullptr))
        return false;
    for (const char* id = ids.data(); *id; id += std::strlen(id) + 1) {
        if (std::strcmp(id, hardwareId) == 0)
            return true;
    }
    return false;
}

void CPresentDevices::forEachWithHardwareId(const char* hardwareId, const Visit& visit)
{
    CDevInfoList list(SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT));
    if (!list)
        return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(list.get(), index, &device); ++index) {
        if (hasHardwareId(list.get(), device, hardwareId))
            visit(list.get(), device);
    }
}

bool CPresentDevices::anyWithHardwareId(const char* hardwareId)
{
    bool found = false;
    forEachWithHardwareId(hardwareId, [&](HDEVINFO, SP_DEVINFO_DATA&) { found = true; });
    return found;
}

void CPresentDevices::removeAll(const char* hardwareId)
{
    forEachWithHardwareId(hardwareId, [](HDEVINFO list, SP_DEVINFO_DATA& device) {
        SetupDiCallClassInstaller(DIF_REMOVE, list, &device);
    });
}
