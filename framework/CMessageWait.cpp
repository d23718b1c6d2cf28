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

bool CMessageWait::whileSet(std::atomic<bool>& flag, DWORD limitMs)
{
    // Short sleeps between looks: the flag is cleared by another thread or by a message
    // handler, neither of which wakes this wait by itself.
    constexpr DWORD kPollMs = 10;
    const DWORD start = GetTickCount();
    while (flag) {
        if (limitMs != INFINITE && GetTickCount() - start >= limitMs)
            return false;
        MSG msg;
        while (flag && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                flag = false;
                PostQuitMessage(0);
                break;
            }
            DispatchMessageW(&msg);
        }
        if (flag)
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
    }
    return true;
}
