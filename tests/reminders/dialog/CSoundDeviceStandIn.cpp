#include "CSoundDeviceStandIn.h"

#include <mmsystem.h>

UINT CSoundDeviceStandIn::open(const std::wstring& file)
{
    calls.push_back(L"open " + file);
    return nextDevice;
}

bool CSoundDeviceStandIn::play(UINT device, HWND notify)
{
    calls.push_back(L"play " + std::to_wstring(device));
    notifyWindow = notify;
    return playSucceeds;
}

void CSoundDeviceStandIn::close(UINT device) { calls.push_back(L"close " + std::to_wstring(device)); }

void CSoundDeviceStandIn::finish(UINT flags, UINT device)
{
    SendMessageW(notifyWindow, MM_MCINOTIFY, flags, static_cast<LPARAM>(device));
}
