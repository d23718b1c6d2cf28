#include "ISoundDevice.h"

#include <mmsystem.h>

UINT CMciSoundDevice::open(const std::wstring& file)
{
    MCI_OPEN_PARMSW open{};
    open.lpstrDeviceType = L"waveaudio";
    open.lpstrElementName = file.c_str();
    if (mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&open)) != 0)
        return 0;
    return open.wDeviceID;
}

bool CMciSoundDevice::play(UINT device, HWND notify)
{
    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(notify);
    return mciSendCommandW(device, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play)) == 0;
}

void CMciSoundDevice::close(UINT device)
{
    if (device)
        mciSendCommandW(device, MCI_CLOSE, 0, 0);
}
