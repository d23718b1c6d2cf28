#pragma once
// The test made before any time server is asked: an ICMP echo to well-known hosts, so that a
// modem is never made to dial just to check the clock. Both network libraries are loaded at
// run time, so that a missing network stack does not stop the program from starting.

#include <windows.h>

#include <array>
#include <atomic>
#include <string>

class CConnectivityTest {
public:
    static constexpr size_t kHostSlot = 16; // a dotted IPv4 text and its terminator
    using HostTable = std::array<std::array<wchar_t, kHostSlot>, 3>;

    CConnectivityTest();

    // Tried in order; the first that answers makes the computer online.
    void setHosts(const HostTable& hosts) { m_hosts = hosts; }
    static HostTable makeHosts(const wchar_t* first, const wchar_t* second, const wchar_t* third);

    // The libraries by name ("wsock32.DLL" and "ICMP.DLL").
    void setLibraries(std::wstring sockets, std::wstring icmp);

    // True when InternetCheck is off or a host answers.
    bool isOnline();

    // InternetCheck: whether the test is made at all.
    static bool enabled();
    static void setEnabled(bool on);
    // What the test does, in words for the pages, with the display name for %s.
    static std::wstring explanation(const std::wstring& displayName);
    // One echo to `host` (a dotted IPv4 text).
    bool ping(const wchar_t* host);

    // Echo attempts made so far (each call of ping).
    int pingCount() const { return m_pings.load(); }

private:
    HostTable m_hosts;
    std::wstring m_socketLibrary = L"wsock32.DLL";
    std::wstring m_icmpLibrary = L"ICMP.DLL";
    std::atomic<int> m_pings{0};
};
