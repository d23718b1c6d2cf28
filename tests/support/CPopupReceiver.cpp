#include "CPopupReceiver.h"

#include "BalloonRequest.h"

namespace {
constexpr const wchar_t* kClass = L"VelmoraTestPopupReceiver";
} // namespace

CPopupReceiver::CPopupReceiver()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    m_window = CreateWindowExW(0, kClass, L"MWOrvelIDE", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleW(nullptr), this);
}

CPopupReceiver::~CPopupReceiver()
{
    if (m_window)
        DestroyWindow(m_window);
}

LRESULT CALLBACK CPopupReceiver::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CPopupReceiver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_BALLOON_REQUEST && self) {
        const auto* block = reinterpret_cast<const BalloonRequest*>(lParam);
        self->m_popups.push_back({static_cast<int>(wParam), block->title ? block->title : L"",
                                  block->text ? block->text : L"", block->displayTime});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
