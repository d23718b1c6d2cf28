#pragma once
// Stands in for the MCI "waveaudio" device: records every open, play and close, can refuse to
// open or to play, and ends a play by posting the MM_MCINOTIFY that MCI would send.

#include "ISoundDevice.h"

#include <mmsystem.h>

#include <string>
#include <vector>

class CSoundDeviceStub : public ISoundDevice {
public:
    UINT open(const std::wstring& file) override
    {
        opened.push_back(file);
        if (failOpen)
            return 0;
        current = ++lastDevice;
        return current;
    }
    bool play(UINT device, HWND notify) override
    {
        ++plays;
        notifyWindow = notify;
        return !failPlay && device == current;
    }
    void close(UINT device) override
    {
        closed.push_back(device);
        if (device == current)
            current = 0;
    }

    // The end of the play in progress, as MCI reports it to the notify window.
    bool finish(WPARAM flags = MCI_NOTIFY_SUCCESSFUL)
    {
        if (!current || !notifyWindow)
            return false;
        SendMessageW(notifyWindow, MM_MCINOTIFY, flags, static_cast<LPARAM>(current));
        return true;
    }

    bool failOpen = false;
    bool failPlay = false;
    std::vector<std::wstring> opened;
    std::vector<UINT> closed;
    int plays = 0;
    UINT current = 0; // the open device, 0 when none
    UINT lastDevice = 0;
    HWND notifyWindow = nullptr;
};
