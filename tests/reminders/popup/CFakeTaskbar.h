#pragma once
// A hidden window of class "Shell_TrayWnd" at a chosen rectangle: the taskbar the pop-ups
// look for, where the null graphics driver has none or a test needs it on another edge.

#include <windows.h>

class CFakeTaskbar {
public:
    explicit CFakeTaskbar(const RECT& rect);
    ~CFakeTaskbar();
    CFakeTaskbar(const CFakeTaskbar&) = delete;
    CFakeTaskbar& operator=(const CFakeTaskbar&) = delete;

    HWND hwnd() const { return m_hwnd; }

    // Taskbars 30 pixels thick along each edge of the primary screen, overhanging it by two
    // pixels on the sides they touch, as the shell's does.
    static RECT alongBottom();
    static RECT alongTop();
    static RECT alongLeft();
    static RECT alongRight();

private:
    HWND m_hwnd = nullptr;
};
