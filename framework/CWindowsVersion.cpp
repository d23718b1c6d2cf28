#include "CWindowsVersion.h"

#include <windows.h>

bool CWindowsVersion::isWindows2000()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return false;
    return info.dwMajorVersion == 5 && info.dwMinorVersion == 0;
}
