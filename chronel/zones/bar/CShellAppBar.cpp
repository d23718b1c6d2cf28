#include "CShellAppBar.h"

UINT_PTR CShellAppBar::message(DWORD message, APPBARDATA& data)
{
    data.cbSize = sizeof data;
    return SHAppBarMessage(message, &data);
}

POINT CShellAppBar::cursorPos()
{
    POINT p{};
    GetCursorPos(&p);
    return p;
}
