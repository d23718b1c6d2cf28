#pragma once
// The main window's reminder sound: the device being played, the file and the plays left.
// Choices 1 to 4 play that many times, 5 until stopped, 0 not at all. A new reminder's sound
// replaces the one playing; closing a pop-up stops it.

#include "ISoundDevice.h"

#include <string>

class CReminderSound {
public:
    CReminderSound(ISoundDevice& device, HWND notify) : m_device(device), m_notify(notify) {}
    ~CReminderSound() { stop(); }
    CReminderSound(const CReminderSound&) = delete;
    CReminderSound& operator=(const CReminderSound&) = delete;

    void setNotifyWindow(HWND notify) { m_notify = notify; }

    // A reminder's sound: stops what plays and starts this one.
    void start(const std::wstring& file, int repeat);
    // MM_MCINOTIFY: the end of a play of our device starts the next one.
    void onNotify(WPARAM flags, LPARAM device);
    // Closes the device; nothing plays again until the next start.
    void stop();

    bool playing() const { return m_open != 0; }
    int remaining() const { return m_remaining; }

private:
    void playNext();
    void closeDevice();

    ISoundDevice& m_device;
    HWND m_notify;
    UINT m_open = 0;
    std::wstring m_file;
    int m_remaining = 0;
};
