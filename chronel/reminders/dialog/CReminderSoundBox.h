#pragma once
// The Reminder dialog's sound file: the box listing the wave files of the system's media
// folder, "Browse..." and the play button, which plays the chosen file once through the
// sound device and turns into a stop button while it plays.

#include "ISoundDevice.h"
#include "UniqueHandle.h"

#include <windows.h>

#include <string>

class CReminderSoundBox {
public:
    explicit CReminderSoundBox(ISoundDevice& sound) : m_sound(sound) {}
    ~CReminderSoundBox() { stop(); }
    CReminderSoundBox(const CReminderSoundBox&) = delete;
    CReminderSoundBox& operator=(const CReminderSoundBox&) = delete;

    // WM_INITDIALOG: the play button's face and the list of files, "(None)" chosen.
    void attach(HWND dialog);
    // WM_DESTROY: nothing may play on once the dialog has gone.
    void detach();

    std::wstring text() const;
    void setText(const std::wstring& text);
    // The box, the play button and "Browse..."; a sound that plays stops when they go off.
    void enable(bool on);

    void browse();
    // The play button: plays the file, or stops what plays.
    void togglePlay();
    // MM_MCINOTIFY.
    void onNotify(WPARAM flags, LPARAM device);
    bool playing() const { return m_device != 0; }

    // HKLM "...\CurrentVersion" "MediaPath", empty when it is missing or longer than a path.
    static std::wstring mediaFolder();

private:
    void fill();
    void stop();
    void showFace(bool stopFace);

    ISoundDevice& m_sound;
    HWND m_dialog = nullptr;
    UINT m_device = 0;
    CGdiObject m_glyphs;
};
