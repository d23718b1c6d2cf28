#pragma once
// Stands where Chronel's main window stands for the pop-ups: a hidden window that holds the
// list of pop-ups and hands it WM_REMINDER_SNOOZE and WM_REMINDER_CLOSED, keeping what each
// close returned.

#include "CMessageWindow.h"
#include "CReminderPopups.h"

#include <vector>

class CPopupTestHost {
public:
    CPopupTestHost();
    CPopupTestHost(const CPopupTestHost&) = delete;
    CPopupTestHost& operator=(const CPopupTestHost&) = delete;

    HWND hwnd() const { return main.hwnd(); }
    const CReminderPopup& popup(int sequence) const { return *popups.popup(sequence); }
    // Sends the slide's timer messages until the pop-up is fully out.
    void finishSlide(int sequence);
    // Dispatches messages until `count` closes have reached the list (or 5 s have passed).
    bool waitForCloses(size_t count);

    static RECT rectOf(HWND window);
    static RECT workArea();

    CMessageWindow main;
    CReminderPopups popups;
    std::vector<CReminderPopups::Closed> closed;
};
