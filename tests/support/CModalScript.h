#pragma once
// Runs a test's steps inside a modal dialog's own message loop: a thread timer, which every
// modal loop of the thread dispatches, looks for the dialog (a dialog window of this thread
// holding control `markerId`) and hands it to the script once it is up. The script ends the
// dialog with a posted or sent command, as a user's click would.
//
// If the dialog never comes, the timer gives up after about ten seconds and cancels every
// dialog of the thread, so that a broken test fails instead of waiting forever.

#include <windows.h>

#include <functional>

class CModalScript {
public:
    CModalScript(int markerId, std::function<void(HWND dialog)> script);
    ~CModalScript();
    CModalScript(const CModalScript&) = delete;
    CModalScript& operator=(const CModalScript&) = delete;

    bool ran() const { return m_ran; }

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD);
    void tick();
    HWND findDialog() const;

    int m_markerId;
    std::function<void(HWND)> m_script;
    UINT_PTR m_timer = 0;
    int m_ticks = 0;
    bool m_ran = false;
    CModalScript* m_next = nullptr;
};
