#pragma once
// Owns one handle that an ISystemHandles handed out and gives it back the same way: NtClose
// for what the Native API made, CloseHandle for processes and devices.

#include "ISystemHandles.h"

#include <utility>

class CSystemHandleOwner {
public:
    enum class Release { Handle, Object };

    CSystemHandleOwner(ISystemHandles& system, Release release, HANDLE invalid = nullptr) noexcept
        : m_system(system), m_release(release), m_invalid(invalid), m_handle(invalid)
    {
    }
    ~CSystemHandleOwner() { reset(); }
    CSystemHandleOwner(const CSystemHandleOwner&) = delete;
    CSystemHandleOwner& operator=(const CSystemHandleOwner&) = delete;

    HANDLE get() const noexcept { return m_handle; }
    bool valid() const noexcept { return m_handle != m_invalid && m_handle != nullptr; }
    HANDLE* put() noexcept
    {
        reset();
        return &m_handle;
    }
    void reset(HANDLE handle) noexcept
    {
        reset();
        m_handle = handle;
    }
    void reset() noexcept
    {
        HANDLE old = std::exchange(m_handle, m_invalid);
        if (old == m_invalid || !old)
            return;
        if (m_release == Release::Object)
            m_system.closeObject(old);
        else
            m_system.closeHandle(old);
    }

private:
    ISystemHandles& m_system;
    Release m_release;
    HANDLE m_invalid;
    HANDLE m_handle;
};
