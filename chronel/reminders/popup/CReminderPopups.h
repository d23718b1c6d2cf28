#pragma once
// The main window's open reminder pop-ups, in ascending order of sequence number, each with
// its own copy of its reminder's text, sound file and sound repeat choice. A new pop-up
// stacks on the last one; when one closes, every later one moves up into the gap. The main
// window forwards WM_REMINDER_SNOOZE and WM_REMINDER_CLOSED here.

#include "CPopupPlacement.h"
#include "CReminderPopup.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CReminderPopups {
public:
    explicit CReminderPopups(HWND mainWindow = nullptr);
    // Closes every pop-up still open.
    ~CReminderPopups();
    CReminderPopups(const CReminderPopups&) = delete;
    CReminderPopups& operator=(const CReminderPopups&) = delete;

    void setMainWindow(HWND mainWindow);
    // Opens and shows a pop-up for a reminder; returns its sequence number, or -1 when no
    // window could be made.
    int show(const std::wstring& text, const std::wstring& soundFile, int soundRepeat);
    // WM_REMINDER_SNOOZE: remember that this pop-up was snoozed.
    void onSnooze(int sequence);
    // WM_REMINDER_CLOSED: removes the pop-up and re-places the later ones; returns what it held.
    struct Closed {
        bool found = false;
        bool snoozed = false;
        std::wstring text;
        std::wstring soundFile;
        int soundRepeat = 0;
    };
    Closed onClosed(int sequence);
    // Exit: destroys every pop-up. The list is empty at once, so a WM_REMINDER_CLOSED that
    // still arrives finds nothing.
    void closeAll();
    size_t count() const { return m_entries.size(); }
    // The pop-up's window, or null when no pop-up has that number.
    HWND window(int sequence) const;
    const CReminderPopup* popup(int sequence) const;

    // The taskbar, work area and screen size as the system reports them now.
    static PopupScreen currentScreen();

private:
    struct Entry {
        std::unique_ptr<CReminderPopup> popup;
        std::wstring soundFile;
        int soundRepeat = 0;
        bool snoozed = false;
    };

    std::vector<Entry>::iterator find(int sequence);
    std::vector<Entry>::const_iterator find(int sequence) const;
    // Where the pop-up at `index` goes: the corner for the first, else on its predecessor.
    PopupSlot slotFor(size_t index, int height, TaskbarEdge edge, const RECT& workArea) const;

    HWND m_mainWindow;
    std::vector<Entry> m_entries;
};
