#pragma once
// The secure-disk bus and its disks as the installation and the vault reach them: driver updates, device
// interfaces, device I/O control, the configuration manager's device nodes and device
// notifications. The drivers and their devices exist only on a machine where the bus driver
// really installs; CSetupApiDeviceAccess makes the real calls, tests give a simulated bus.

#include <windows.h>
#include <cfgmgr32.h>

#include <string>
#include <vector>

struct DeviceInterface {
    std::wstring path;
    std::wstring instanceId;         // up to 200 characters
    std::wstring physicalObjectName; // up to 100 bytes
};

class IDeviceAccess {
public:
    virtual ~IDeviceAccess() = default;

    // Installs the driver of `infPath` for the present devices of `hardwareId`, forced over
    // any better-matching driver, with no window of its own.
    virtual bool updateDriver(const std::string& hardwareId, const std::string& infPath) = 0;

    // Path of the first present interface of `interfaceClass`.
    virtual bool firstInterfacePath(const GUID& interfaceClass, std::wstring& path) = 0;

    // The present interfaces of `interfaceClass` in order, each with its device instance id
    // and physical device object name. False when the details or the object name of one
    // cannot be read: `interfaces` then holds those before it.
    virtual bool listInterfaces(const GUID& interfaceClass, std::vector<DeviceInterface>& interfaces) = 0;

    // Opens `path` (no access rights, no sharing, existing only) and sends `code`. False when
    // the device cannot be opened or the request fails; `returned` is the output length.
    virtual bool ioControl(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes, void* output,
                           DWORD outputBytes, DWORD& returned) = 0;
    // The same with the device opened for reading and writing, shared both ways and
    // unbuffered, as a disk that is to serve a data file is opened.
    virtual bool ioControlReadWrite(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes,
                                    void* output, DWORD outputBytes, DWORD& returned) = 0;

    virtual bool locateDevNode(const std::wstring& instanceId, DEVINST& node) = 0;
    virtual bool devNodeStatus(DEVINST node, ULONG& status) = 0;
    // Asks for the device to be ejected; `vetoName` names whoever refused, empty when nobody.
    virtual bool requestEject(DEVINST node, std::wstring& vetoName) = 0;

    // Arrivals and removals of `interfaceClass` are sent to `window` as WM_DEVICECHANGE.
    virtual HDEVNOTIFY registerInterfaceNotification(HWND window, const GUID& interfaceClass) = 0;
    virtual void unregisterNotification(HDEVNOTIFY notification) = 0;
};
