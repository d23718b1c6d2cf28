#pragma once
// The one running Chronel: the named mutex "MUTEX_ORVELIDE", created initially owned and
// tested with a zero wait. The first instance holds it until exit.

#include "UniqueHandle.h"

class CSingleInstance {
public:
    ~CSingleInstance() { release(); }

    // True when this process is the first instance and now holds the mutex.
    bool acquire();
    // Gives the mutex up (when held) and closes it.
    void release();

private:
    CHandle m_mutex;
};
