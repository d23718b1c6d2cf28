#include "CSetupApiDeviceAccess.h"

#include "SetupHandles.h"

#include <dbt.h>
#include <newdev.h>

#include <vector>

namespace {

constexpr ULONG kInstanceIdChars = 200;
constexpr DWORD kObjectNameBytes = 100;
constexpr ULONG kVetoNameChars = MAX_PATH;

CDevInfoList presentInterfaces(const GUID& interfaceClass)
{
    return CDevInfoList(SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
}

// The interface's path; `device` receives its device when given.
bool interfaceDetail(HDEVINFO list, SP_DEVICE_INTERFACE_DATA& item, std::wstring& path, SP_DEVINFO_DATA* device)
{
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(list, &item, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
        return false;
    // DWORD-aligned storage for the variable-length structure.
    std::vector<DWORD> storage(size / sizeof(DWORD) + 1);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(list, &item, detail, size, nullptr, device))
        return false;
    path = detail->DevicePath;
    return true;
}

} // namespace

bool CSetupApiDeviceAccess::updateDriver(const std::string& hardwareId, const std::string& infPath)
{
    BOOL rebootRequired = FALSE;
    return UpdateDriverForPlugAndPlayDevicesA(nullptr, hardwareId.c_str(), infPath.c_str(), INSTALLFLAG_FORCE,
                                              &rebootRequired) != FALSE;
}

bool CSetupApiDeviceAccess::firstInterfacePath(const GUID& interfaceClass, std::wstring& path)
{
    CDevInfoList list = presentInterfaces(interfaceClass);
    if (!list)
        return false;
    SP_DEVICE_INTERFACE_DATA item{};
    item.cbSize = sizeof item;
    return SetupDiEnumDeviceInterfaces(list.get(), nullptr, &interfaceClass, 0, &item) &&
           interfaceDetail(list.get(), item, path, nullptr);
}

bool CSetupApiDeviceAccess::listInterfaces(const GUID& interfaceClass, std::vector<DeviceInterface>& interfaces)
{
    interfaces.clear();
    CDevInfoList list = presentInterfaces(interfaceClass);
    if (!list)
        return false;
    SP_DEVICE_INTERFACE_DATA item{};
    item.cbSize = sizeof item;
    for (DWORD index = 0; SetupDiEnumDeviceInterfaces(list.get(), nullptr, &interfaceClass, index, &item); ++index) {
        DeviceInterface found;
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!interfaceDetail(list.get(), item, found.path, &device))
            return false;

        wchar_t instanceId[kInstanceIdChars + 1] = {};
        if (CM_Get_Device_IDW(device.DevInst, instanceId, kInstanceIdChars, 0) == CR_SUCCESS)
            found.instanceId = instanceId;

        // The object name comes from a second lookup of the same interface.
        SP_DEVINFO_DATA again{};
        again.cbSize = sizeof again;
        std::wstring unused;
        BYTE name[kObjectNameBytes + sizeof(wchar_t)] = {};
        if (!interfaceDetail(list.get(), item, unused, &again) ||
            !SetupDiGetDeviceRegistryPropertyW(list.get(), &again, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME, nullptr, name,
                                               kObjectNameBytes, nullptr))
            return false;
        found.physicalObjectName = reinterpret_cast<const wchar_t*>(name);
        interfaces.push_back(std::move(found));
    }
    return GetLastError() == ERROR_NO_MORE_ITEMS;
}

namespace {

bool sendControl(HANDLE device, DWORD code, const void* input, DWORD inputBytes, void* output, DWORD outputBytes,
                 DWORD& returned)
{
    return DeviceIoControl(device, code, const_cast<void*>(input), inputBytes, output, outputBytes, &returned,
                           nullptr) != FALSE;
}

} // namespace

bool CSetupApiDeviceAccess::ioControl(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes,
                                      void* output, DWORD outputBytes, DWORD& returned)
{
    returned = 0;
    CFileHandle device(CreateFileW(path.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return device && sendControl(device.get(), code, input, inputBytes, output, outputBytes, returned);
}

bool CSetupApiDeviceAccess::ioControlReadWrite(const std::wstring& path, DWORD code, const void* input,
                                               DWORD inputBytes, void* output, DWORD outputBytes, DWORD& returned)
{
    returned = 0;
    CFileHandle device(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr));
    return device && sendControl(device.get(), code, input, inputBytes, output, outputBytes, returned);
}

bool CSetupApiDeviceAccess::locateDevNode(const std::wstring& instanceId, DEVINST& node)
{
    return CM_Locate_DevNodeW(&node, const_cast<wchar_t*>(instanceId.c_str()), CM_LOCATE_DEVNODE_NORMAL) ==
           CR_SUCCESS;
}

bool CSetupApiDeviceAccess::devNodeStatus(DEVINST node, ULONG& status)
{
    ULONG problem = 0;
    return CM_Get_DevNode_Status(&status, &problem, node, 0) == CR_SUCCESS;
}

bool CSetupApiDeviceAccess::requestEject(DEVINST node, std::wstring& vetoName)
{
    PNP_VETO_TYPE vetoType = PNP_VetoTypeUnknown;
    wchar_t name[kVetoNameChars] = {};
    bool ok = CM_Request_Device_EjectW(node, &vetoType, name, kVetoNameChars, 0) == CR_SUCCESS;
    vetoName = name;
    return ok;
}

HDEVNOTIFY CSetupApiDeviceAccess::registerInterfaceNotification(HWND window, const GUID& interfaceClass)
{
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = interfaceClass;
    return RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void CSetupApiDeviceAccess::unregisterNotification(HDEVNOTIFY notification)
{
    if (notification)
        UnregisterDeviceNotification(notification);
}
