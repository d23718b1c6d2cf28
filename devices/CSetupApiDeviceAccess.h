#pragma once
// The real device facilities: SetupAPI, the configuration manager, newdev, CreateFile and
// DeviceIoControl, and RegisterDeviceNotification.

#include "IDeviceAccess.h"

class CSetupApiDeviceAccess : public IDeviceAccess {
public:
    bool updateDriver(const std::string& hardwareId, const std::string& infPath) override;
    bool firstInterfacePath(const GUID& interfaceClass, std::wstring& path) override;
    bool listInterfaces(const GUID& interfaceClass, std::vector<DeviceInterface>& interfaces) override;
    bool ioControl(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes, void* output,
                   DWORD outputBytes, DWORD& returned) override;
    bool ioControlReadWrite(const std::wstring& path, DWORD code, const void* input, DWORD inputBytes, void* output,
                            DWORD outputBytes, DWORD& returned) override;
    bool locateDevNode(const std::wstring& instanceId, DEVINST& node) override;
    bool devNodeStatus(DEVINST node, ULONG& status) override;
    bool requestEject(DEVINST node, std::wstring& vetoName) override;
    HDEVNOTIFY registerInterfaceNotification(HWND window, const GUID& interfaceClass) override;
    void unregisterNotification(HDEVNOTIFY notification) override;
};
