#include "CSetupMachineTest.h"

#include "ServiceProbe.h"

#include <windows.h>
#include <setupapi.h>

#include <cstring>
#include <vector>

namespace setuptest {

namespace {

template <typename Visit>
void forEachDevice(const char* hardwareId, Visit visit)
{
    HDEVINFO list = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (list == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(list, index, &device); ++index) {
        std::vector<char> ids(4096, '\0');
        if (!SetupDiGetDeviceRegistryPropertyA(list, &device, SPDRP_HARDWAREID, nullptr,
                                               reinterpret_cast<BYTE*>(ids.data()),
                                               static_cast<DWORD>(ids.size() - 2), nullptr))
            continue;
        for (const char* id = ids.data(); *id; id += strlen(id) + 1) {
            if (strcmp(id, hardwareId) == 0) {
                visit(list, device);
                break;
            }
        }
    }
    SetupDiDestroyDeviceInfoList(list);
}

} // namespace

int countDevices(const char* hardwareId)
{
    int count = 0;
    forEachDevice(hardwareId, [&](HDEVINFO, SP_DEVINFO_DATA&) { ++count; });
    return count;
}

void removeDevices(const char* hardwareId)
{
    forEachDevice(hardwareId,
                  [](HDEVINFO list, SP_DEVINFO_DATA& device) { SetupDiCallClassInstaller(DIF_REMOVE, list, &device); });
}

bool registerRootDevice(const char* hardwareId)
{
    // The system device class: any class will do for a device that only has to be present.
    static const GUID kSystemClass = {0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    HDEVINFO list = SetupDiCreateDeviceInfoList(&kSystemClass, nullptr);
    if (list == INVALID_HANDLE_VALUE)
        return false;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    std::vector<char> ids(hardwareId, hardwareId + strlen(hardwareId) + 1);
    ids.push_back('\0');
    bool ok = SetupDiCreateDeviceInfoA(list, "System", &kSystemClass, nullptr, nullptr, DICD_GENERATE_ID, &device) &&
              SetupDiSetDeviceRegistryPropertyA(list, &device, SPDRP_HARDWAREID,
                                                reinterpret_cast<const BYTE*>(ids.data()),
                                                static_cast<DWORD>(ids.size())) &&
              SetupDiCallClassInstaller(DIF_REGISTERDEVICE, list, &device);
    SetupDiDestroyDeviceInfoList(list);
    return ok;
}

} // namespace setuptest

void CSetupMachineTest::removeSetupTraces()
{
    testreg::deleteTree(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\SecureDisk");
    testreg::deleteValue(HKEY_LOCAL_MACHINE, setuptest::kPolicyKey, setuptest::kDontPrompt);
    testreg::deleteValue(HKEY_LOCAL_MACHINE, setuptest::kPolicyKey, setuptest::kDontSearch);
    testservice::remove(L"Cofferix");
    setuptest::removeDevices("root\\sbusenum");
    setuptest::removeDevices("SecureDisk\\Disk_AesEnc");
    for (const wchar_t* exe : {L"Coffersvc.exe", L"Cofferprep.exe", L"cofferprep_capture.exe"})
        testreg::deleteTree(HKEY_CURRENT_USER, std::wstring(L"Software\\Wine\\AppDefaults\\") + exe);
}

void CSetupMachineTest::SetUp()
{
    CSuiteRegistryTest::SetUp();
    removeSetupTraces();
}

void CSetupMachineTest::TearDown()
{
    removeSetupTraces();
    CSuiteRegistryTest::TearDown();
}
