#pragma once
// How the vault tells the user something: popup messages drawn by Chronel beside its tray
// icon, or message boxes titled with the vault's name.

#include "BalloonRequest.h"

#include <windows.h>

#include <string>

class CVaultMessages {
public:
    enum Kind { Success = kBalloonSuccess, PartialSuccess = kBalloonPartialSuccess, Failure = kBalloonFailure };
    static constexpr const wchar_t* HostWindow = L"MWOrvelIDE";

    // True when shown, or when "PopupMessages" says not to show any (it counts as shown);
    // false when Chronel's window is not there.
    static bool popup(const std::wstring& text, Kind kind, DWORD displayMilliseconds);
    static int messageBox(const std::wstring& text, UINT flags);
};
