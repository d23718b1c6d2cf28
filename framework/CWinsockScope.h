#pragma once
// Windows Sockets started for the lifetime of the object (WSAStartup / WSACleanup).

#include <windows.h>
#include <winsock.h>

class CWinsockScope {
public:
    CWinsockScope(BYTE major, BYTE minor)
    {
        m_started = ::WSAStartup(MAKEWORD(major, minor), &m_data) == 0;
    }
    ~CWinsockScope()
    {
        if (m_started)
            ::WSACleanup();
    }
    CWinsockScope(const CWinsockScope&) = delete;
    CWinsockScope& operator=(const CWinsockScope&) = delete;

    bool started() const { return m_started; }
    // The version the library granted: low byte major, high byte minor.
    WORD version() const { return m_data.wVersion; }

private:
    WSADATA m_data{};
    bool m_started = false;
};
