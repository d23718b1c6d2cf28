#include "CBusDriverInstaller.h"

#include "CPresentDevices.h"
#include "CofferprepNames.h"
#include "SecureDisk.h"
#include "SetupHandles.h"

#include <cstring>
#include <vector>

namespace {

constexpr DWORD kClassNameChars = 32;

} // namespace

bool CBusDriverInstaller::install(const std::string& infPath)
{
    if (GetFileAttributesA(infPath.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;

    CPresentDevices::removeAll(securedisk::kBusHardwareId);

    GUID classGuid{};
    char className[kClassNameChars] = {};
    if (!SetupDiGetINFClassA(infPath.c_str(), &classGuid, className, kClassNameChars, nullptr))
        return false;
    CDevInfoList list(SetupDiCreateDeviceInfoList(&classGuid, nullptr));
    if (!list)
        return false;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!SetupDiCreateDeviceInfoA(list.get(), className, &classGuid, nullptr, nullptr, DICD_GENERATE_ID, &device))
        return false;

    // A list of strings: the one id, then the empty string that ends the list.
    std::vector<char> ids(securedisk::kBusHardwareId, securedisk::kBusHardwareId + std::strlen(securedisk::kBusHardwareId));
    ids.insert(ids.end(), 2, '\0');
    if (!SetupDiSetDeviceRegistryPropertyA(list.get(), &device, SPDRP_HARDWAREID,
                                           reinterpret_cast<const BYTE*>(ids.data()), static_cast<DWORD>(ids.size())) ||
        !SetupDiCallClassInstaller(DIF_REGISTERDEVICE, list.get(), &device))
        return false;

    if (!m_devices.updateDriver(securedisk::kBusHardwareId, infPath)) {
        SetupDiCallClassInstaller(DIF_REMOVE, list.get(), &device);
        return false;
    }
    return true;
}
