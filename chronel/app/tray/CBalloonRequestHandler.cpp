#include "CBalloonRequestHandler.h"

#include "CTrayIcon.h"
#include "CTrayIconLocator.h"

#include <cstdint>

namespace {

// The end of the committed region around `at` when it may be read (or written), else 0.
uintptr_t accessibleEnd(uintptr_t at, bool write)
{
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info))
        return 0;
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ
        | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    const DWORD writable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (info.State != MEM_COMMIT || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS))
        || !(info.Protect & (write ? writable : readable)))
        return 0;
    return reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
}

bool isAccessible(const void* block, size_t size, bool write)
{
    uintptr_t at = reinterpret_cast<uintptr_t>(block);
    const uintptr_t end = at + size;
    if (!block || end < at)
        return false;
    while (at < end) {
        at = accessibleEnd(at, write);
        if (!at)
            return false;
    }
    return true;
}

// Copies a sender's text; false when it runs into memory that cannot be read. A null pointer
// is an empty text.
bool copyText(const wchar_t* source, std::wstring& text)
{
    text.clear();
    if (!source)
        return true;
    const uintptr_t start = reinterpret_cast<uintptr_t>(source);
    uintptr_t readableEnd = start;
    for (size_t i = 0; i < CBalloonRequestHandler::kMaxTextLength; ++i) {
        const uintptr_t next = start + (i + 1) * sizeof(wchar_t);
        while (next > readableEnd) {
            readableEnd = accessibleEnd(readableEnd, false);
            if (!readableEnd)
                return false;
        }
        if (source[i] == L'\0')
            return true;
        text += source[i];
    }
    return true;
}

} // namespace

CBalloonRequestHandler::CBalloonRequestHandler(CTrayIcon& trayIcon, CTrayIconLocator& locator)
    : m_trayIcon(trayIcon), m_locator(locator)
{
}

LPCWSTR CBalloonRequestHandler::iconForKind(WPARAM kind)
{
    switch (kind) {
    case kBalloonPartialSuccess:
        return IDI_WARNING;
    case kBalloonFailure:
        return IDI_HAND;
    default:
        return IDI_INFORMATION;
    }
}

LRESULT CBalloonRequestHandler::onBalloonRequest(HWND mainWindow, WPARAM kind, LPARAM lParam)
{
    auto* request = reinterpret_cast<BalloonRequest*>(lParam);
    if (!isAccessible(request, sizeof *request, true))
        return 0;
    std::wstring title;
    std::wstring text;
    if (!copyText(request->title, title) || !copyText(request->text, text))
        return 0;
    if (title.empty() && text.empty())
        return 0;

    const auto anchor = m_locator.locate();
    // The locator may have left its probe in the icon's place.
    m_trayIcon.restoreImage();
    if (!anchor)
        return 0;

    LPCWSTR icon = iconForKind(kind);
    request->owner = mainWindow;
    request->x = anchor->x;
    request->y = anchor->y;
    request->iconId = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(icon));
    HWND balloon = CBalloonWnd::popup(mainWindow, *anchor, std::move(title), std::move(text), icon, kOptions,
                                      request->displayTime);
    return balloon ? 1 : 0;
}
