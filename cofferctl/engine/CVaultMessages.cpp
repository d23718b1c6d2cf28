#include "CVaultMessages.h"

#include "CVaultSettings.h"
#include "ResourceString.h"
#include "resource.h"

bool CVaultMessages::popup(const std::wstring& text, Kind kind, DWORD displayMilliseconds)
{
    if (!CVaultSettings::popupMessages())
        return true;
    HWND host = FindWindowW(nullptr, HostWindow);
    if (!host)
        return false;
    const std::wstring title = loadString(IDS_VAULT_TITLE);
    BalloonRequest block{title.c_str(), text.c_str(), 0, 0, 0, displayMilliseconds, nullptr};
    // The texts stay valid until SendMessageW returns, which is all the receiver may rely on.
    SendMessageW(host, WM_BALLOON_REQUEST, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(&block));
    return true;
}

int CVaultMessages::messageBox(const std::wstring& text, UINT flags)
{
    const std::wstring title = loadString(IDS_VAULT_TITLE);
    return MessageBoxW(GetActiveWindow(), text.c_str(), title.c_str(), flags);
}
