#pragma once
// Collects what every process of the session writes with OutputDebugString, the way a
// debug-output viewer does: through the shared "DBWIN_BUFFER" and its two events. Only one
// monitor can run at a time.

#include "UniqueHandle.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CDebugOutputMonitor {
public:
    CDebugOutputMonitor();
    ~CDebugOutputMonitor();
    CDebugOutputMonitor(const CDebugOutputMonitor&) = delete;
    CDebugOutputMonitor& operator=(const CDebugOutputMonitor&) = delete;

    bool listening() const { return m_view != nullptr; }
    // The texts received so far, in order, as they were written (ANSI).
    std::vector<std::string> texts() const;

private:
    void run();

    CHandle m_bufferReady;
    CHandle m_dataReady;
    CHandle m_mapping;
    const char* m_view = nullptr;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_texts;
    std::thread m_thread;
};
