#pragma once
// The real drive and volume calls: GetLogicalDrives, QueryDosDevice, DefineDosDevice, the
// volume lock and dismount controls, volume labels and fmifs.dll's FormatEx.

#include "IVolumeAccess.h"
#include "UniqueHandle.h"

class CWin32VolumeAccess : public IVolumeAccess {
public:
    DWORD logicalDrives() override;
    std::vector<std::wstring> logicalDriveStrings() override;
    std::wstring dosDeviceTarget(const std::wstring& drive) override;
    bool defineDrive(const std::wstring& drive, const std::wstring& target) override;
    bool removeDrive(const std::wstring& drive) override;
    bool dismountVolume(const std::wstring& volumePath) override;
    bool volumeInformation(const std::wstring& root, std::wstring& label, std::wstring& fileSystem) override;
    bool setVolumeLabel(const std::wstring& root, const std::wstring& label) override;
    bool loadFormatter() override;
    void formatEx(const std::wstring& drive, DWORD mediaType, const std::wstring& fileSystem,
                  const std::wstring& label, bool quickFormat, DWORD clusterSize, FormatCallback callback) override;

private:
    using FormatExFunction = void(WINAPI*)(const wchar_t* drive, DWORD mediaType, const wchar_t* fileSystem,
                                           const wchar_t* label, BOOL quickFormat, DWORD clusterSize,
                                           FormatCallback callback);
    CModuleHandle m_fmifs;
    FormatExFunction m_formatEx = nullptr;
};
