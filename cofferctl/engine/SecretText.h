#pragma once
// Passwords and answers as text: read from an edit control, wiped from memory, and wiped
// from an edit control's own buffer before the control goes.

#include <windows.h>

#include <string>

inline void wipeText(std::wstring& text)
{
    if (!text.empty())
        SecureZeroMemory(&text[0], text.size() * sizeof(wchar_t));
    text.clear();
}

inline std::wstring editText(HWND field)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(field, &text[0], static_cast<int>(text.size()))));
    return text;
}

inline void clearEdit(HWND field)
{
    const int length = GetWindowTextLengthW(field);
    if (length <= 0)
        return;
    // A text of the same length is written over the old one in the edit's buffer; an empty
    // text alone would only move the end of the text.
    SetWindowTextW(field, std::wstring(static_cast<size_t>(length), L'*').c_str());
    SetWindowTextW(field, L"");
}
