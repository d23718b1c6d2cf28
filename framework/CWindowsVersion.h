#pragma once
// The few operating-system distinctions the programs make, from GetVersionEx.

#include <windows.h>

class CWindowsVersion {
public:
    // Major and minor version both exactly 5.0: several setup steps are skipped there.
    static bool isWindows2000();
    // 4 for the Windows 95 and NT 4 generation, 5 and up for Windows 2000 and later; 0 when
    // unknown.
    static DWORD majorVersion();
    // Windows NT, 2000, XP and later, as opposed to the Windows 95 family.
    static bool isNtFamily();
    // VER_PLATFORM_WIN32_NT, VER_PLATFORM_WIN32_WINDOWS, or another platform's number.
    static DWORD platformId();
};
