#pragma once
// What the secure-disk driver reports about one disk, as the vault keeps it. All zero until
// the lockbox is found attached.

#include <windows.h>

struct SDeviceRecord {
    DWORD diskNumber = 0;
    DWORD attachState = 0; // 1 = serving a data file
    ULONGLONG diskSize = 0;
    ULONGLONG idleTime = 0; // 100-nanosecond units
    WORD nameLength = 0;
    wchar_t volumePath[51] = {};
    wchar_t drive[4] = {};
    wchar_t physicalObjectName[51] = {};
    wchar_t interfacePath[257] = {};
    wchar_t ntFileName[257] = {};
    wchar_t instanceId[201] = {};

    bool attached() const { return attachState == 1; }
};
