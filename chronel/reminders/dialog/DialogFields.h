#pragma once
// Small helpers over a dialog's controls.

#include <windows.h>

#include <cwchar>

// Enables a control together with the text label just before it in the template: the label
// whose mnemonic leads to it, which should look as available as the control.
inline void enableField(HWND control, bool on)
{
    if (!control)
        return;
    EnableWindow(control, on);
    HWND label = GetWindow(control, GW_HWNDPREV);
    wchar_t className[16] = {};
    if (!label || !GetClassNameW(label, className, 16) || _wcsicmp(className, L"Static") != 0)
        return;
    switch (GetWindowLongW(label, GWL_STYLE) & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
        EnableWindow(label, on);
    }
}
