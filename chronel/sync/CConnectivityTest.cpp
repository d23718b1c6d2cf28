#include "CConnectivityTest.h"

#include "ChronelSettings.h"
#include "ProcAddress.h"
#include "ResourceString.h"
#include "UniqueHandle.h"
#include "resource.h"

#include <ipexport.h>

#include <cstring>

namespace {

using WsaStartupFn = int(WINAPI*)(WORD, LPWSADATA);
using WsaCleanupFn = int(WINAPI*)();
using InetAddrFn = unsigned long(WINAPI*)(const char*);
using IcmpCreateFileFn = HANDLE(WINAPI*)();
using IcmpSendEchoFn = DWORD(WINAPI*)(HANDLE, IPAddr, LPVOID, WORD, PIP_OPTION_INFORMATION, LPVOID, DWORD, DWORD);
using IcmpCloseHandleFn = BOOL(WINAPI*)(HANDLE);

constexpr int kEchoDataSize = 32;
constexpr DWORD kReplyBufferSize = 1024;
constexpr DWORD kEchoTimeoutMs = 5000;

// WSACleanup through the run-time pointer when the scope ends.
struct WinsockStarted {
    WsaCleanupFn cleanup;
    ~WinsockStarted() { cleanup(); }
};

} // namespace

CConnectivityTest::CConnectivityTest()
    // Root name servers a, c and l: always up and reachable from any connected network.
    : m_hosts(makeHosts(L"198.41.0.4", L"192.33.4.12", L"199.7.83.42"))
{
}

CConnectivityTest::HostTable CConnectivityTest::makeHosts(const wchar_t* first, const wchar_t* second,
                                                          const wchar_t* third)
{
    HostTable table{};
    const wchar_t* hosts[3] = {first, second, third};
    for (size_t i = 0; i < 3; ++i)
        wcsncpy(table[i].data(), hosts[i], kHostSlot - 1);
    return table;
}

void CConnectivityTest::setLibraries(std::wstring sockets, std::wstring icmp)
{
    m_socketLibrary = std::move(sockets);
    m_icmpLibrary = std::move(icmp);
}

bool CConnectivityTest::enabled() { return settings::read(settings::kInternetCheck); }

void CConnectivityTest::setEnabled(bool on) { settings::write(settings::kInternetCheck, on); }

std::wstring CConnectivityTest::explanation(const std::wstring& displayName)
{
    return replaceAll(loadString(IDS_INTERNET_CHECK), L"%s", displayName);
}

bool CConnectivityTest::isOnline()
{
    if (!enabled())
        return true;
    for (const auto& host : m_hosts)
        if (ping(host.data()))
            return true;
    return false;
}

bool CConnectivityTest::ping(const wchar_t* host)
{
    ++m_pings;
    CModuleHandle sockets(LoadLibraryW(m_socketLibrary.c_str()));
    if (!sockets)
        return true; // the test cannot be made: let the check go on
    auto wsaStartup = procAddress<WsaStartupFn>(sockets.get(), "WSAStartup");
    auto wsaCleanup = procAddress<WsaCleanupFn>(sockets.get(), "WSACleanup");
    auto inetAddr = procAddress<InetAddrFn>(sockets.get(), "inet_addr");
    if (!wsaStartup || !wsaCleanup || !inetAddr)
        return false;
    WSADATA data;
    if (wsaStartup(MAKEWORD(1, 1), &data) != 0)
        return false;
    WinsockStarted started{wsaCleanup};

    // The echo carries the host's own address text, so that the reply can be matched to it.
    char text[kEchoDataSize] = {};
    WideCharToMultiByte(CP_ACP, 0, host, -1, text, kEchoDataSize - 1, nullptr, nullptr);
    const unsigned long address = inetAddr(text);

    CModuleHandle icmp(LoadLibraryW(m_icmpLibrary.c_str()));
    if (!icmp)
        return false;
    auto icmpCreateFile = procAddress<IcmpCreateFileFn>(icmp.get(), "IcmpCreateFile");
    auto icmpSendEcho = procAddress<IcmpSendEchoFn>(icmp.get(), "IcmpSendEcho");
    auto icmpCloseHandle = procAddress<IcmpCloseHandleFn>(icmp.get(), "IcmpCloseHandle");
    if (!icmpCreateFile || !icmpSendEcho || !icmpCloseHandle)
        return false;
    HANDLE handle = icmpCreateFile();
    if (handle == INVALID_HANDLE_VALUE || !handle)
        return false;

    alignas(8) BYTE reply[kReplyBufferSize] = {};
    DWORD replies = icmpSendEcho(handle, address, text, kEchoDataSize, nullptr, reply, sizeof reply, kEchoTimeoutMs);
    icmpCloseHandle(handle);
    if (replies == 0)
        return false;
    const auto* echo = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply);
    if (echo->Status != IP_SUCCESS || echo->Address != address || echo->DataSize != kEchoDataSize)
        return false;
    // The data pointer must lie inside our reply buffer.
    const BYTE* echoed = static_cast<const BYTE*>(echo->Data);
    if (echoed < reply || echoed + kEchoDataSize > reply + sizeof reply)
        return false;
    return std::memcmp(echoed, text, kEchoDataSize) == 0;
}
