#include "CSingleInstance.h"

namespace {
constexpr wchar_t kMutexName[] = L"MUTEX_ORVELIDE";
}

bool CSingleInstance::acquire()
{
    m_mutex.reset(CreateMutexW(nullptr, TRUE, kMutexName));
    const bool createdOwned = m_mutex && GetLastError() != ERROR_ALREADY_EXISTS;
    const DWORD wait = m_mutex ? WaitForSingleObject(m_mutex.get(), 0) : WAIT_FAILED;
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        m_mutex.reset(); // another instance runs
        return false;
    }
    // A mutex made here is owned twice now (creation and the zero wait): keep one count.
    if (createdOwned)
        ReleaseMutex(m_mutex.get());
    return true;
}

void CSingleInstance::release()
{
    if (m_mutex) {
        ReleaseMutex(m_mutex.get());
        m_mutex.reset();
    }
}
