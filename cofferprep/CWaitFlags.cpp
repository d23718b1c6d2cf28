#include "CWaitFlags.h"

namespace {

// The waiter is woken by a thread message when a flag is cleared; the poll interval only
// covers a wake-up that could not be posted.
constexpr DWORD kPollMs = 100;

} // namespace

void CWaitFlags::attachWaiter()
{
    // A thread gets its message queue on its first message call; only then can it be posted to.
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    m_waiterThread = GetCurrentThreadId();
}

void CWaitFlags::raise(WaitFlag flag) { slot(flag) = true; }

void CWaitFlags::waitUntilCleared(WaitFlag flag)
{
    std::atomic<bool>& raised = slot(flag);
    for (;;) {
        if (!raised || m_cancelled)
            return;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                raised = false;
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
        }
        if (!raised || m_cancelled)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
    }
}

void CWaitFlags::clear(WaitFlag flag)
{
    slot(flag) = false;
    wakeWaiter();
}

void CWaitFlags::cancel()
{
    m_cancelled = true;
    m_arrival = false;
    m_removal = false;
    wakeWaiter();
}

void CWaitFlags::wakeWaiter()
{
    if (DWORD thread = m_waiterThread)
        PostThreadMessageW(thread, WM_NULL, 0, 0);
}
