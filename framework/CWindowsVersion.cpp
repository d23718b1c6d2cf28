#include "CWindowsVersion.h"

namespace {

OSVERSIONINFOW version()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info))
        info = OSVERSIONINFOW{};
    return info;
}

} // namespace

bool CWindowsVersion::isWindows2000()
{
    const OSVERSIONINFOW info = version();
    return info.dwMajorVersion == 5 && info.dwMinorVersion == 0;
}

DWORD CWindowsVersion::majorVersion() { return version().dwMajorVersion; }

bool CWindowsVersion::isNtFamily() { return platformId() == VER_PLATFORM_WIN32_NT; }

DWORD CWindowsVersion::platformId() { return version().dwPlatformId; }
