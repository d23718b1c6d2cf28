#pragma once
// Wave sound through the Media Control Interface's "waveaudio" device. The program plays
// through CMciSoundDevice; tests give a stand-in that records the calls and sends the
// end-of-play notification itself.

#include <windows.h>

#include <string>

class ISoundDevice {
public:
    virtual ~ISoundDevice() = default;
    // Opens the device on a wave file; 0 when it cannot be opened.
    virtual UINT open(const std::wstring& file) = 0;
    // Plays from the start and sends MM_MCINOTIFY (lParam = the device) to `notify` at the end.
    virtual bool play(UINT device, HWND notify) = 0;
    virtual void close(UINT device) = 0;
};

// The system's MCI.
class CMciSoundDevice final : public ISoundDevice {
public:
    UINT open(const std::wstring& file) override;
    bool play(UINT device, HWND notify) override;
    void close(UINT device) override;
};
