#include "CMessageBoxCatcher.h"

thread_local CMessageBoxCatcher* CMessageBoxCatcher::s_current = nullptr;

namespace {
std::wstring windowText(HWND window)
{
    wchar_t buffer[4096] = {};
    GetWindowTextW(window, buffer, 4096);
    return buffer;
}

// A message box keeps its text in a static control with id 0xFFFF.
std::wstring messageText(HWND box)
{
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? windowText(text) : std::wstring();
}
} // namespace

CMessageBoxCatcher::CMessageBoxCatcher(int answer) : m_answer(answer)
{
    s_current = this;
    m_hook = SetWindowsHookExW(WH_CBT, hookProc, nullptr, GetCurrentThreadId());
}

CMessageBoxCatcher::~CMessageBoxCatcher()
{
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    s_current = nullptr;
}

LRESULT CALLBACK CMessageBoxCatcher::hookProc(int code, WPARAM wParam, LPARAM lParam)
{
    CMessageBoxCatcher* self = s_current;
    if (code == HCBT_ACTIVATE && self) {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t className[32] = {};
        GetClassNameW(window, className, 32);
        if (std::wstring(className) == L"#32770") {
            self->m_boxes.push_back({windowText(window), messageText(window)});
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(self->m_answer, BN_CLICKED), 0);
        }
    }
    return CallNextHookEx(self ? self->m_hook : nullptr, code, wParam, lParam);
}
