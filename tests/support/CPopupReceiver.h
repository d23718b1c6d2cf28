#pragma once
// Stands where Chronel's hidden main window stands: a window titled "MWOrvelIDE" that records
// each popup request (message 0x471 with its 28-byte block) sent to it on this thread.

#include <windows.h>

#include <string>
#include <vector>

class CPopupReceiver {
public:
    struct SPopup {
        int kind;
        std::wstring title;
        std::wstring text;
        DWORD displayMilliseconds;
    };

    CPopupReceiver();
    ~CPopupReceiver();
    CPopupReceiver(const CPopupReceiver&) = delete;
    CPopupReceiver& operator=(const CPopupReceiver&) = delete;

    bool created() const { return m_window != nullptr; }
    const std::vector<SPopup>& popups() const { return m_popups; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::vector<SPopup> m_popups;
};
