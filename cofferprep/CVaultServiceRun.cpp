#include "CVaultServiceRun.h"

#include "CofferprepNames.h"
#include "SecureDisk.h"
#include "SetupNames.h"
#include "SetupHandles.h"

DWORD CVaultServiceRun::countInstances()
{
    CKeyHandle key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, securedisk::kDiskInstanceKeyPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return 0;
    DWORD subkeys = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return subkeys;
}

std::wstring CVaultServiceRun::imagePath() const
{
    return L"\"" + m_programFolder + setupnames::kVaultServiceProgram + L"\"";
}

void CVaultServiceRun::runOnce()
{
    if (countInstances() != 1)
        return;

    CServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager)
        return;
    // No account: it runs as LocalSystem. A service of that name that exists already makes
    // the creation fail, and the step is skipped.
    CServiceHandle service(CreateServiceW(manager.get(), setupnames::kVaultServiceName, setupnames::kVaultServiceDisplayName,
                                          SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                          SERVICE_ERROR_NORMAL, imagePath().c_str(), nullptr, nullptr, nullptr,
                                          nullptr, nullptr));
    if (!service)
        return;

    {
        // Created before the start, so the signal cannot come before anyone holds the event.
        CHandle done(CreateEventA(nullptr, FALSE, FALSE, setupnames::kVaultServiceDoneEvent));
        // Coffersvc never reports to the service control manager, so the start is reported as
        // failed even when the program ran: only the event tells.
        StartServiceW(service.get(), 0, nullptr);
        if (!done || WaitForSingleObject(done.get(), cofferprep::kServiceWaitMs) != WAIT_OBJECT_0)
            OutputDebugStringW(L"****** Service timed out ******\n");
    }
    DeleteService(service.get());
}
