#include "CVolumeFormatter.h"

#include <atomic>

namespace {
// FormatEx's callback has no context: the window of the one formatting under way.
std::atomic<HWND> g_progressWindow{nullptr};
constexpr DWORD kFat32FromMB = 256;
} // namespace

CVolumeFormatter::~CVolumeFormatter() { wait(); }

void CVolumeFormatter::chooseFileSystem(DWORD capacityMB, bool fatWanted, const std::wstring& name,
                                        std::wstring& fileSystem, std::wstring& label)
{
    if (fatWanted) {
        fileSystem = capacityMB < kFat32FromMB ? L"FAT" : L"FAT32";
        label.clear();
    } else {
        fileSystem = L"NTFS";
        label = name;
    }
}

bool CVolumeFormatter::start(const std::wstring& drive, DWORD capacityMB, const std::wstring& name, bool fatWanted,
                             HWND progressWindow)
{
    wait();
    if (!m_volumes.loadFormatter())
        return false;
    std::wstring fileSystem, label;
    chooseFileSystem(capacityMB, fatWanted, name, fileSystem, label);
    g_progressWindow = progressWindow;
    m_thread = std::thread([this, drive, fileSystem, label] {
        m_volumes.formatEx(drive, IVolumeAccess::kFixedMedia, fileSystem, label, true, 0, &CVolumeFormatter::onProgress);
    });
    return true;
}

void CVolumeFormatter::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

BOOLEAN WINAPI CVolumeFormatter::onProgress(int command, DWORD, void* actionInfo)
{
    HWND window = g_progressWindow;
    if (window && IsWindow(window))
        SendMessageW(window, WM_FORMAT_PROGRESS, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(actionInfo));
    return TRUE;
}
