#pragma once
// What a docking bar asks of the shell: SHAppBarMessage, and where the pointer is. Behind an
// interface because Wine's shell accepts every auto-hide bar (a refused one cannot happen
// there), and so that tests can place the pointer without moving the real one.

#include <windows.h>
#include <shellapi.h>

class IAppBarShell {
public:
    virtual ~IAppBarShell() = default;

    // SHAppBarMessage(message, &data), cbSize filled in; the shell may change data.rc.
    virtual UINT_PTR message(DWORD message, APPBARDATA& data) = 0;
    // The pointer's position on the screen.
    virtual POINT cursorPos() = 0;
};
