#include "CWin32VolumeAccess.h"

#include "ProcAddress.h"

#include <winioctl.h>

DWORD CWin32VolumeAccess::logicalDrives() { return GetLogicalDrives(); }

std::vector<std::wstring> CWin32VolumeAccess::logicalDriveStrings()
{
    std::vector<std::wstring> roots;
    // 26 roots of 4 characters and the closing 0.
    wchar_t buffer[26 * 4 + 2] = {};
    DWORD length = GetLogicalDriveStringsW(ARRAYSIZE(buffer) - 1, buffer);
    if (length == 0 || length >= ARRAYSIZE(buffer))
        return roots;
    for (const wchar_t* root = buffer; *root; root += wcslen(root) + 1)
        roots.emplace_back(root);
    return roots;
}

std::wstring CWin32VolumeAccess::dosDeviceTarget(const std::wstring& drive)
{
    wchar_t target[MAX_PATH + 1] = {};
    if (QueryDosDeviceW(drive.c_str(), target, MAX_PATH) == 0)
        return {};
    return target; // the first of the list: the current definition
}

bool CWin32VolumeAccess::defineDrive(const std::wstring& drive, const std::wstring& target)
{
    return DefineDosDeviceW(DDD_RAW_TARGET_PATH, drive.c_str(), target.c_str()) != FALSE;
}

bool CWin32VolumeAccess::removeDrive(const std::wstring& drive)
{
    return DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive.c_str(), nullptr) != FALSE;
}

bool CWin32VolumeAccess::dismountVolume(const std::wstring& volumePath)
{
    CFileHandle volume(CreateFileW(volumePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr));
    if (!volume)
        return false;
    DWORD returned = 0;
    // A volume that cannot be locked (files still open) is left mounted: the eject then
    // reports who holds it.
    if (DeviceIoControl(volume.get(), FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &returned, nullptr)) {
        DeviceIoControl(volume.get(), FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr, 0, &returned, nullptr);
        DeviceIoControl(volume.get(), FSCTL_UNLOCK_VOLUME, nullptr, 0, nullptr, 0, &returned, nullptr);
    }
    return true;
}

bool CWin32VolumeAccess::volumeInformation(const std::wstring& root, std::wstring& label, std::wstring& fileSystem)
{
    wchar_t name[MAX_PATH + 1] = {};
    wchar_t system[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, system, MAX_PATH + 1))
        return false;
    label = name;
    fileSystem = system;
    return true;
}

bool CWin32VolumeAccess::setVolumeLabel(const std::wstring& root, const std::wstring& label)
{
    return SetVolumeLabelW(root.c_str(), label.c_str()) != FALSE;
}

bool CWin32VolumeAccess::loadFormatter()
{
    if (m_formatEx)
        return true;
    m_fmifs.reset(LoadLibraryW(L"fmifs.dll"));
    if (!m_fmifs)
        return false;
    m_formatEx = procAddress<FormatExFunction>(m_fmifs.get(), "FormatEx");
    return m_formatEx != nullptr;
}

void CWin32VolumeAccess::formatEx(const std::wstring& drive, DWORD mediaType, const std::wstring& fileSystem,
                                  const std::wstring& label, bool quickFormat, DWORD clusterSize,
                                  FormatCallback callback)
{
    if (m_formatEx)
        m_formatEx(drive.c_str(), mediaType, fileSystem.c_str(), label.c_str(), quickFormat ? TRUE : FALSE,
                   clusterSize, callback);
}
