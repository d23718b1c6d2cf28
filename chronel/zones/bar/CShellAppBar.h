#pragma once
// The real shell: SHAppBarMessage and GetCursorPos.

#include "IAppBarShell.h"

class CShellAppBar : public IAppBarShell {
public:
    UINT_PTR message(DWORD message, APPBARDATA& data) override;
    POINT cursorPos() override;
};
