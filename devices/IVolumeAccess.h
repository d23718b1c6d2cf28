#pragma once
// Drive letters and volumes as the vault handles them: the letters in use, the DOS device
// names that make a secure disk a drive, dismounting, labels and formatting. Wine has no
// secure disks to name or format, so CWin32VolumeAccess makes the real calls and the tests
// give the simulated bus.

#include <windows.h>

#include <string>
#include <vector>

class IVolumeAccess {
public:
    // fmifs.dll's progress callback: a command, a sub-action and the command's data. It
    // returns TRUE to go on.
    using FormatCallback = BOOLEAN(WINAPI*)(int command, DWORD subAction, void* actionInfo);
    static constexpr int kFormatProgress = 0; // data: percentage done (DWORD)
    static constexpr int kFormatDone = 11;    // data: success (BOOLEAN)
    static constexpr DWORD kFixedMedia = 12;

    virtual ~IVolumeAccess() = default;

    // GetLogicalDrives: bit 0 is A:.
    virtual DWORD logicalDrives() = 0;
    // GetLogicalDriveStringsW: the roots ("C:\"); empty when it gives nothing.
    virtual std::vector<std::wstring> logicalDriveStrings() = 0;
    // QueryDosDeviceW of a drive ("X:"): its current target, empty when it has none.
    virtual std::wstring dosDeviceTarget(const std::wstring& drive) = 0;
    // DefineDosDeviceW with DDD_RAW_TARGET_PATH, and its removal (no target).
    virtual bool defineDrive(const std::wstring& drive, const std::wstring& target) = 0;
    virtual bool removeDrive(const std::wstring& drive) = 0;
    // Opens the volume ("\\.\X:") for reading and writing, shared, unbuffered; when it opens,
    // locks it and, once locked, dismounts and unlocks it. False when it could not be opened.
    virtual bool dismountVolume(const std::wstring& volumePath) = 0;
    // GetVolumeInformationW and SetVolumeLabelW of a root ("X:\").
    virtual bool volumeInformation(const std::wstring& root, std::wstring& label, std::wstring& fileSystem) = 0;
    virtual bool setVolumeLabel(const std::wstring& root, const std::wstring& label) = 0;
    // Loads "fmifs.dll" and finds "FormatEx"; false when either is missing.
    virtual bool loadFormatter() = 0;
    // FormatEx, after loadFormatter succeeded. Returns when the formatting has ended; the
    // callback has then been called on this thread.
    virtual void formatEx(const std::wstring& drive, DWORD mediaType, const std::wstring& fileSystem,
                          const std::wstring& label, bool quickFormat, DWORD clusterSize, FormatCallback callback) = 0;
};
