#pragma once
// The two waiting flags that the installation thread and the dialog thread share: the
// installation raises a flag and waits, the dialog clears it when the device event arrives or
// the user cancels. Each flag is a single byte written whole.

#include <windows.h>

#include <atomic>

enum class WaitFlag {
    Arrival, // waiting for a disk to arrive
    Removal, // waiting for a disk to be removed
};

class CWaitFlags {
public:
    // Installation thread, before its first wait: it may then be woken by the dialog.
    void attachWaiter();
    void raise(WaitFlag flag);
    // Returns when the flag is cleared, when the installation was cancelled or when the
    // thread is told to quit (WM_QUIT is posted again for whoever comes next).
    void waitUntilCleared(WaitFlag flag);

    // Dialog thread.
    void clear(WaitFlag flag);
    // Clears both flags; waits that begin afterwards end at once, so the installation runs
    // its remaining steps without waiting for devices.
    void cancel();

    bool isRaised(WaitFlag flag) const { return slot(flag).load(); }
    bool cancelled() const { return m_cancelled.load(); }

private:
    std::atomic<bool>& slot(WaitFlag flag) { return flag == WaitFlag::Arrival ? m_arrival : m_removal; }
    const std::atomic<bool>& slot(WaitFlag flag) const { return flag == WaitFlag::Arrival ? m_arrival : m_removal; }
    void wakeWaiter();

    std::atomic<bool> m_arrival{false};
    std::atomic<bool> m_removal{false};
    std::atomic<bool> m_cancelled{false};
    std::atomic<DWORD> m_waiterThread{0};
};
