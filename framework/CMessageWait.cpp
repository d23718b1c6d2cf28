#include "CMessageWait.h"

int CMessageWait::forAny(const HANDLE* handles, DWORD count, HWND dialog)
{
    bool quit = false;
    int quitCode = 0;
    int signalled = -1;
    for (;;) {
        DWORD woken = MsgWaitForMultipleObjects(count, handles, FALSE, INFINITE, QS_ALLINPUT);
        if (woken < WAIT_OBJECT_0 + count) {
            signalled = static_cast<int>(woken - WAIT_OBJECT_0);
            break;
        }
        if (woken != WAIT_OBJECT_0 + count)
            break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(msg.wParam);
                continue;
            }
            if (dialog && IsDialogMessageW(dialog, &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (quit)
        PostQuitMessage(quitCode);
    return signalled;
}
