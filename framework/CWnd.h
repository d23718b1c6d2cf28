#pragma once
// A window bound to its C++ object: the object is attached on WM_NCCREATE and detached on
// WM_NCDESTROY, and every message goes through one virtual onMessage. A derived window's
// message map is the switch in its onMessage.

#include <windows.h>

class CWnd {
public:
    CWnd() = default;
    // Destroys a window that is still alive.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND hwnd() const { return m_hwnd; }
    bool exists() const { return m_hwnd && IsWindow(m_hwnd); }

    // Registers a class whose procedure dispatches to CWnd objects (once per name), against
    // the module that links the framework (see CModule).
    static bool registerClass(const wchar_t* className, UINT style = 0, HICON icon = nullptr,
                              HCURSOR cursor = LoadCursor(nullptr, IDC_ARROW),
                              HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));

    // Creates the window of a class registered with registerClass.
    bool create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                int width, int height, HWND parent = nullptr, HMENU menu = nullptr);
    void destroy();

    // The object bound to a window of ours, or null.
    static CWnd* fromHandle(HWND hwnd);

protected:
    virtual LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // After the last message (WM_NCDESTROY); a self-owning window deletes itself here.
    virtual void onFinalMessage() {}

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
};
