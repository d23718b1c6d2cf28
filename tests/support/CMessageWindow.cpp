#include "CMessageWindow.h"

#include <algorithm>

namespace {
constexpr wchar_t kClassName[] = L"VelmoraTestMessageWindow";

void registerClass()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
    registered = true;
}
} // namespace

CMessageWindow::CMessageWindow(std::vector<UINT> textMessages) : m_textMessages(std::move(textMessages))
{
    registerClass();
    m_hwnd = CreateWindowExW(0, kClassName, L"test", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CMessageWindow::windowProc));
}

CMessageWindow::~CMessageWindow()
{
    if (m_hwnd && IsWindow(m_hwnd)) {
        SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
        DestroyWindow(m_hwnd);
    }
}

bool CMessageWindow::records(UINT message) const
{
    return (message >= WM_USER && message < 0x8000)
        || std::find(m_watched.begin(), m_watched.end(), message) != m_watched.end();
}

LRESULT CALLBACK CMessageWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CMessageWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->records(message)) {
        RecordedMessage r{message, wParam, lParam, {}};
        const auto& t = self->m_textMessages;
        if (lParam && std::find(t.begin(), t.end(), message) != t.end())
            r.text = reinterpret_cast<const wchar_t*>(lParam);
        self->m_messages.push_back(r);
        if (self->m_recorder)
            self->m_recorder(r);
    }
    if (self && self->m_handler && self->m_handler(message, wParam, lParam))
        return 0;
    if (self) {
        for (const auto& [answered, result] : self->m_answers) {
            if (answered == message)
                return result;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::vector<RecordedMessage> CMessageWindow::messagesOf(UINT message) const
{
    std::vector<RecordedMessage> found;
    for (const auto& m : m_messages)
        if (m.message == message)
            found.push_back(m);
    return found;
}

bool CMessageWindow::pumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeoutMs - elapsed, 20), QS_ALLINPUT);
    }
}

void CMessageWindow::pumpFor(DWORD ms)
{
    pumpUntil([] { return false; }, ms);
}
