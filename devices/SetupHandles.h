#pragma once
// Owner of SetupAPI's device information lists (the service handle owner is the
// framework's CServiceHandle).

#include "UniqueHandle.h"

#include <windows.h>
#include <setupapi.h>

struct DevInfoListTraits {
    using Type = HDEVINFO;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { ::SetupDiDestroyDeviceInfoList(h); }
};

using CDevInfoList = TUniqueHandle<DevInfoListTraits>;
