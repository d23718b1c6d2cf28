#pragma once
// Base fixture of the setup programs' tests: what those programs leave on the machine (the
// secure disk's instance keys, the driver-search policy values, the "Cofferix" service, root
// devices of the bus's and the disk's hardware ids, Wine version overrides) is removed before
// and after every test, so each starts from a machine that never saw Cofferix.

#include "CSuiteRegistryTest.h"
#include "RegistryProbe.h"

#include <string>

namespace setuptest {

inline const std::wstring kDeviceKey = L"SYSTEM\\CurrentControlSet\\Enum\\SecureDisk\\Disk_AesEnc";
inline const std::wstring kPolicyKey = L"SOFTWARE\\Policies\\Microsoft\\Windows\\DriverSearching";
inline const std::wstring kDontPrompt = L"DontPromptForWindowsUpdate";
inline const std::wstring kDontSearch = L"DontSearchWindowsUpdate";

// Present devices of any class that carry `hardwareId` in their hardware id list.
int countDevices(const char* hardwareId);
void removeDevices(const char* hardwareId);
// Registers a root device with `hardwareId`, as an earlier installation would have left it.
bool registerRootDevice(const char* hardwareId);

} // namespace setuptest

class CSetupMachineTest : public CSuiteRegistryTest {
protected:
    void SetUp() override;
    void TearDown() override;

public:
    static void removeSetupTraces();
};
