#pragma once
// How the vault tells the user something: popup messages drawn by Chronel beside its tray
// icon, or message boxes titled with the vault's name.

#include <windows.h>

#include <string>

class CVaultMessages {
public:
    enum Kind { Success = 0, PartialSuccess = 1, Failure = 2 };
    // Private message of Chronel's main window that asks for a popup.
    static constexpr UINT PopupRequest = WM_USER + 0x71;
    static constexpr const wchar_t* HostWindow = L"MWOrvelIDE";

    // The 28-byte request block of PopupRequest.
    struct SPopupBlock {
        const wchar_t* title;
        const wchar_t* text;
        DWORD reserved1;
        DWORD reserved2;
        DWORD reserved3;
        DWORD displayMilliseconds;
        DWORD reserved4;
    };

    // True when shown, or when "PopupMessages" says not to show any (it counts as shown);
    // false when Chronel's window is not there.
    static bool popup(const std::wstring& text, Kind kind, DWORD displayMilliseconds);
    static int messageBox(const std::wstring& text, UINT flags);
};
