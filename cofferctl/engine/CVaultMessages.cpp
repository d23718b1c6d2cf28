#include "CVaultMessages.h"

#include "CVaultSettings.h"
#include "VaultModule.h"
#include "resource.h"

static_assert(sizeof(void*) != 4 || sizeof(CVaultMessages::SPopupBlock) == 28, "the popup block is 28 bytes");

bool CVaultMessages::popup(const std::wstring& text, Kind kind, DWORD displayMilliseconds)
{
    if (!CVaultSettings::popupMessages())
        return true;
    HWND host = FindWindowW(nullptr, HostWindow);
    if (!host)
        return false;
    const std::wstring title = vaultModule::loadString(IDS_VAULT_TITLE);
    SPopupBlock block{title.c_str(), text.c_str(), 0, 0, 0, displayMilliseconds, 0};
    // The texts stay valid until SendMessageW returns, which is all the receiver may rely on.
    SendMessageW(host, PopupRequest, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(&block));
    return true;
}

int CVaultMessages::messageBox(const std::wstring& text, UINT flags)
{
    const std::wstring title = vaultModule::loadString(IDS_VAULT_TITLE);
    return MessageBoxW(GetActiveWindow(), text.c_str(), title.c_str(), flags);
}
