#pragma once
// The one operating-system distinction the setup programs make: several steps are skipped on
// Windows 2000.

class CWindowsVersion {
public:
    // Major and minor version both exactly 5.0.
    static bool isWindows2000();
};
