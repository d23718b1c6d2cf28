#pragma once
// A wave device for tests: records open, play and close as lines ("open chime.wav",
// "play 7", "close 7"), can refuse to open or to play, and sends the end-of-play
// notification when the test says the sound has ended.

#include "ISoundDevice.h"

#include <string>
#include <vector>

class CSoundDeviceStandIn final : public ISoundDevice {
public:
    UINT open(const std::wstring& file) override;
    bool play(UINT device, HWND notify) override;
    void close(UINT device) override;

    // MM_MCINOTIFY to the window the last play named, as MCI sends it.
    void finish(UINT flags, UINT device);

    UINT nextDevice = 7; // 0: opening fails
    bool playSucceeds = true;
    HWND notifyWindow = nullptr;
    std::vector<std::wstring> calls;
};
