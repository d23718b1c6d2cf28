#include "ServiceProbe.h"

#include "UniqueHandle.h"

namespace testservice {

bool exists(const wchar_t* name)
{
    CServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    return manager && CServiceHandle(OpenServiceW(manager.get(), name, SERVICE_QUERY_STATUS));
}

void remove(const wchar_t* name)
{
    CServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return;
    CServiceHandle service(OpenServiceW(manager.get(), name, DELETE));
    if (service)
        DeleteService(service.get());
}

} // namespace testservice
