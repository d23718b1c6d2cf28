#pragma once
// Formats a new lockbox's volume with fmifs.dll's FormatEx on a thread of its own, forwarding
// each progress notification to a progress window.

#include "IVolumeAccess.h"

#include <windows.h>

#include <string>
#include <thread>

// Sent (not posted) to the progress window: wParam is the notification's command, lParam its
// data, valid only while the message is handled.
inline constexpr UINT WM_FORMAT_PROGRESS = WM_USER + 0x32;

class CVolumeFormatter {
public:
    explicit CVolumeFormatter(IVolumeAccess& volumes) : m_volumes(volumes) {}
    ~CVolumeFormatter();
    CVolumeFormatter(const CVolumeFormatter&) = delete;
    CVolumeFormatter& operator=(const CVolumeFormatter&) = delete;

    // The file system and label for a volume of `capacityMB`: on a data file whose own volume
    // is FAT, "FAT" below 256 MB and "FAT32" from 256 MB, unlabelled; otherwise NTFS with the
    // lockbox's name.
    static void chooseFileSystem(DWORD capacityMB, bool fatWanted, const std::wstring& name,
                                 std::wstring& fileSystem, std::wstring& label);

    // Starts formatting `drive` ("X:"); false when FormatEx cannot be found. One formatting
    // at a time: FormatEx's callback carries no context of its own.
    bool start(const std::wstring& drive, DWORD capacityMB, const std::wstring& name, bool fatWanted,
               HWND progressWindow);
    // Waits for the formatting thread, if any.
    void wait();

private:
    static BOOLEAN WINAPI onProgress(int command, DWORD subAction, void* actionInfo);

    IVolumeAccess& m_volumes;
    std::thread m_thread;
};
