#pragma once
// Owners of the handles of SetupAPI and the service control manager.

#include "UniqueHandle.h"

#include <windows.h>
#include <setupapi.h>

struct DevInfoListTraits {
    using Type = HDEVINFO;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { ::SetupDiDestroyDeviceInfoList(h); }
};

struct ServiceHandleTraits {
    using Type = SC_HANDLE;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::CloseServiceHandle(h); }
};

using CDevInfoList = TUniqueHandle<DevInfoListTraits>;
using CServiceHandle = TUniqueHandle<ServiceHandleTraits>;
