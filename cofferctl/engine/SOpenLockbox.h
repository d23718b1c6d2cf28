#pragma once
// A lockbox that is still open: its name, the drive letter it appears as and its disk
// ("\Device\SDisk<diskNumber>").

#include <windows.h>

#include <string>

struct SOpenLockbox {
    std::wstring name;
    wchar_t drive = L'\0';
    DWORD diskNumber = 0;

    std::wstring deviceName() const { return L"\\Device\\SDisk" + std::to_wstring(diskNumber); }
};
