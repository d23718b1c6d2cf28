#include "CFakeTaskbar.h"

namespace {

constexpr wchar_t kClassName[] = L"Shell_TrayWnd";
constexpr int kThickness = 30;
constexpr int kOverhang = 2;

int screenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int screenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

} // namespace

CFakeTaskbar::CFakeTaskbar(const RECT& rect)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc); // fails harmlessly when registered already
    // Topmost, as the shell's taskbar is: where both exist, FindWindow meets this one first.
    m_hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, L"", WS_POPUP, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
}

CFakeTaskbar::~CFakeTaskbar()
{
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

RECT CFakeTaskbar::alongBottom()
{
    return RECT{-kOverhang, screenHeight() - kThickness, screenWidth() + kOverhang, screenHeight() + kOverhang};
}

RECT CFakeTaskbar::alongTop() { return RECT{-kOverhang, -kOverhang, screenWidth() + kOverhang, kThickness}; }

RECT CFakeTaskbar::alongLeft() { return RECT{-kOverhang, -kOverhang, kThickness, screenHeight() + kOverhang}; }

RECT CFakeTaskbar::alongRight()
{
    return RECT{screenWidth() - kThickness, -kOverhang, screenWidth() + kOverhang, screenHeight() + kOverhang};
}
