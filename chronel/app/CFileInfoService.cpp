#include "CFileInfoService.h"

#include "ResourceString.h"
#include "SecureDisk.h"
#include "UniqueHandle.h"

void CFileInfoService::install(const std::wstring& programFolder)
{
    CServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return; // no administrator rights: the vault's in-use detection goes without it
    m_installed = true;
    CServiceHandle service(OpenServiceW(manager.get(), fileinfo::kServiceName, SERVICE_ALL_ACCESS));
    if (!service) {
        const std::wstring image = formatText(L"%s\\%s", programFolder.c_str(), fileinfo::kDriverFile);
        service.reset(CreateServiceW(manager.get(), fileinfo::kServiceName, fileinfo::kServiceName, SERVICE_ALL_ACCESS,
                                     SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, image.c_str(),
                                     nullptr, nullptr, nullptr, nullptr, nullptr));
    }
    if (service)
        StartServiceW(service.get(), 0, nullptr); // it may already run, or its file be missing
}

void CFileInfoService::remove()
{
    if (!m_installed)
        return;
    CServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return;
    CServiceHandle service(OpenServiceW(manager.get(), fileinfo::kServiceName, SERVICE_ALL_ACCESS));
    if (!service)
        return;
    SERVICE_STATUS status;
    ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    DeleteService(service.get());
    m_installed = false;
}
