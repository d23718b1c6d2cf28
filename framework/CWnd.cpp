#include "CWnd.h"

#include "CModule.h"

CWnd::~CWnd()
{
    if (m_hwnd && IsWindow(m_hwnd)) {
        // Detach first: the object is going away, so no message may reach it any more.
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        HWND hwnd = m_hwnd;
        m_hwnd = nullptr;
        DestroyWindow(hwnd);
    }
}

bool CWnd::registerClass(const wchar_t* className, UINT style, HICON icon, HCURSOR cursor, HBRUSH background)
{
    const HINSTANCE instance = CModule::instance();
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, className, &existing))
        return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &CWnd::windowProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc))
        return false;
    CModule::addClass(className);
    return true;
}

bool CWnd::create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menu)
{
    return CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu,
                           CModule::instance(), this)
        != nullptr;
}

void CWnd::destroy()
{
    if (m_hwnd && IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
}

CWnd* CWnd::fromHandle(HWND hwnd)
{
    if (!hwnd || GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&CWnd::windowProc))
        return nullptr;
    return reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CWnd::onMessage(UINT message, WPARAM wParam, LPARAM lParam) { return defaultProc(message, wParam, lParam); }

LRESULT CWnd::defaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            self->m_hwnd = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);

    LRESULT result = 0;
    try {
        result = self->onMessage(message, wParam, lParam);
    } catch (...) {
        // No exception may cross into the system's dispatch; the message counts as handled.
        result = 0;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        self->onFinalMessage();
    }
    return result;
}
