#pragma once
// Waiting on a user-interface thread: the wait wakes for any input and dispatches the
// thread's waiting messages before it waits again, so the thread's windows stay alive. A
// WM_QUIT that arrives meanwhile is posted again once the wait is over, for the loop that
// owns it.

#include <windows.h>

#include <atomic>

class CMessageWait {
public:
    // Waits until one of `handles` is signalled and returns its index, or -1 when the wait
    // failed. Messages for `dialog` (when given) go through IsDialogMessage first, so its
    // keyboard interface works.
    static int forAny(const HANDLE* handles, DWORD count, HWND dialog = nullptr);

    // Dispatches this thread's messages while `flag` stays set, at most `limitMs`
    // (INFINITE: no limit); true when the flag was cleared. A thread without windows just
    // polls the flag. A WM_QUIT clears the flag and is posted again at once, so the
    // thread's own loop ends too.
    static bool whileSet(std::atomic<bool>& flag, DWORD limitMs = INFINITE);
};
