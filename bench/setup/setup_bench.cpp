// Figures of the setup programs under the machine they run on: how long Coffersvc takes to
// clone an instance key (small and large), how long the one-time service run takes against
// its 5000 ms allowance, and how long InstallDrivers blocks its caller for one whole
// Cofferprep run (bus installed from an INF with nothing to copy; no drivers present).
// Usage: setup_bench [runs]. Changes HKEY_LOCAL_MACHINE of the prefix it runs in.

#include "CScratchFolder.h"
#include "CTestProcess.h"
#include "CVaultServiceRun.h"
#include "ProcAddress.h"
#include "RegistryProbe.h"
#include "UniqueHandle.h"

#include <windows.h>
#include <setupapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::wstring kEnum = L"SYSTEM\\CurrentControlSet\\Enum\\SecureDisk";
const std::wstring kDevice = kEnum + L"\\Disk_AesEnc";
const std::wstring kFirst = kDevice + L"\\1&2c4a7e1&0&01";

const char kBusInf[] = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\n"
                       "ClassGuid={4D36E97D-E325-11CE-BFC1-08002BE10318}\r\nProvider=Bench\r\n\r\n"
                       "[Manufacturer]\r\nBench=Models\r\n\r\n[Models]\r\nBus=BusInstall,root\\sbusenum\r\n\r\n"
                       "[BusInstall]\r\n";

struct Figures {
    double meanMs = 0, minMs = 0, maxMs = 0;
};

Figures summarise(std::vector<double> ms)
{
    Figures f;
    if (ms.empty())
        return f;
    for (double m : ms)
        f.meanMs += m;
    f.meanMs /= ms.size();
    f.minMs = *std::min_element(ms.begin(), ms.end());
    f.maxMs = *std::max_element(ms.begin(), ms.end());
    return f;
}

double nowMs()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

void print(const char* what, const Figures& f, int runs)
{
    std::printf("%-46s mean %8.1f ms  min %8.1f  max %8.1f  (%d runs)\n", what, f.meanMs, f.minMs, f.maxMs, runs);
}

void putInstance(int values, int subkeys, int subkeyValues, size_t valueBytes)
{
    testreg::deleteTree(HKEY_LOCAL_MACHINE, kEnum);
    std::vector<BYTE> data(valueBytes, 0x5A);
    for (int v = 0; v < values; ++v)
        testreg::put(HKEY_LOCAL_MACHINE, kFirst, L"Value" + std::to_wstring(v), testreg::Value{REG_BINARY, data});
    for (int s = 0; s < subkeys; ++s)
        for (int v = 0; v < subkeyValues; ++v)
            testreg::put(HKEY_LOCAL_MACHINE, kFirst + L"\\Sub" + std::to_wstring(s), L"V" + std::to_wstring(v),
                         testreg::dword(v));
}

void removeClones()
{
    for (const std::wstring& name : testreg::subkeys(HKEY_LOCAL_MACHINE, kDevice))
        if (kDevice + L"\\" + name != kFirst)
            testreg::deleteTree(HKEY_LOCAL_MACHINE, kDevice + L"\\" + name);
}

// Runs Coffersvc `runs` times against the prepared instance, clones removed before each.
void benchCoffersvc(const char* what, int runs)
{
    const std::wstring program = testprocess::binFolder() + L"Coffersvc.exe";
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        removeClones();
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        CProcessInformation info;
        double start = nowMs();
        if (!CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            info.put()))
            return;
        WaitForSingleObject(info.process(), INFINITE);
        times.push_back(nowMs() - start);
    }
    print(what, summarise(times), runs);
    std::printf("%-46s %zu\n", "  instance keys after the last run", testreg::subkeys(HKEY_LOCAL_MACHINE, kDevice).size());
}

void benchServiceRun(int runs)
{
    putInstance(8, 2, 4, 16);
    CVaultServiceRun service(testprocess::binFolder());
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        removeClones();
        double start = nowMs();
        service.runOnce();
        times.push_back(nowMs() - start);
    }
    print("service run (create, start, wait, delete)", summarise(times), runs);
    std::printf("%-46s %zu\n", "  instance keys after the last run", testreg::subkeys(HKEY_LOCAL_MACHINE, kDevice).size());
}

void removeBusDevices()
{
    HDEVINFO list = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(list, i, &device); ++i) {
        char ids[1024] = {};
        if (SetupDiGetDeviceRegistryPropertyA(list, &device, SPDRP_HARDWAREID, nullptr, reinterpret_cast<BYTE*>(ids),
                                              sizeof ids - 2, nullptr) &&
            std::string(ids) == "root\\sbusenum")
            SetupDiCallClassInstaller(DIF_REMOVE, list, &device);
    }
    SetupDiDestroyDeviceInfoList(list);
}

void benchInstallDrivers(int runs)
{
    testreg::deleteTree(HKEY_LOCAL_MACHINE, kEnum);
    CScratchFolder folder(L"Setup bench");
    if (!folder.copyIn(testprocess::binFolder() + L"Cofferlib.dll", L"Cofferlib.dll") ||
        !folder.copyIn(testprocess::binFolder() + L"Cofferprep.exe", L"Cofferprep.exe") ||
        !folder.write(L"Drivers\\bus.inf", kBusInf))
        return;
    HMODULE library = LoadLibraryW((folder.path() + L"Cofferlib.dll").c_str());
    auto installDrivers = procAddress<int(WINAPI*)()>(library, "InstallDrivers");
    if (!installDrivers)
        return;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double start = nowMs();
        installDrivers();
        times.push_back(nowMs() - start);
    }
    FreeLibrary(library);
    removeBusDevices();
    print("InstallDrivers, one whole Cofferprep run", summarise(times), runs);
}

} // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    putInstance(4, 2, 3, 16);
    benchCoffersvc("Coffersvc, small instance (4 values, 2 subkeys)", runs);
    putInstance(200, 20, 20, 1024);
    benchCoffersvc("Coffersvc, large instance (200 x 1 KB, 20 x 20)", runs);
    benchServiceRun(std::max(1, runs / 2));
    benchInstallDrivers(std::max(1, runs / 2));
    testreg::deleteTree(HKEY_LOCAL_MACHINE, kEnum);
    return 0;
}
