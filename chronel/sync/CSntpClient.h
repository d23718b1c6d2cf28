#pragma once
// Asks time servers for the time with one SNTP exchange (version 3, client mode, UDP) per
// server, trying the ordered server list until one gives an acceptable reply. It never
// changes the clock.

#include "SntpSample.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

enum class SntpFailure {
    None,
    Offline,         // the connectivity test said no
    Socket,          // the socket could not be made
    Resolve,         // the host did not resolve
    Send,
    Timeout,         // nothing readable within the time-out
    Receive,         // the receive failed or returned nothing (also a datagram too large)
    Truncated,       // shorter than an NTP header
    NotServer,       // mode other than 4
    Unsynchronised,  // leap indicator 3
    BadStratum,      // 0 (kiss-of-death) or above 15
    ZeroTransmit,    // the server's transmit time is zero
    WrongOriginate,  // the echoed originate time is not what this request sent
};

class CSntpClient {
public:
    static constexpr unsigned short kNtpPort = 123;
    static constexpr DWORD kDefaultTimeoutMs = 5000;
    static constexpr int kRequestSize = 48;
    // NTP header plus room for the key identifier and digest, which are not used.
    static constexpr int kReplyBufferSize = 68;

    using ProgressHook = std::function<void(const std::wstring& server)>;
    using OnlineHook = std::function<bool()>;

    CSntpClient();

    void setTimeout(DWORD milliseconds) { m_timeoutMs = milliseconds; }
    DWORD timeout() const { return m_timeoutMs; }

    // Called before each server after the first, with the server's text.
    void setProgressHook(ProgressHook hook) { m_progress = std::move(hook); }
    // The connectivity test run before the first server.
    void setOnlineHook(OnlineHook hook) { m_isOnline = std::move(hook); }

    // Builds the list, runs the connectivity test and tries the servers in order.
    bool query(SntpSample& sample, unsigned short port);
    // One exchange with one server; leaves the reason of a failure as the thread's last error.
    bool queryServer(const std::wstring& host, SntpSample& sample, unsigned short port);

    // Server1 ... Server5 of the settings, default names replaced by their addresses; when
    // none exists the default names are written and their fallback addresses returned.
    static void buildServerList(std::vector<std::wstring>& list);

    // Checks a reply to the request that carried `sent` as its transmit time, and fills the
    // sample from it. `arrival` is T4.
    static SntpFailure parseReply(const BYTE* reply, int length, NtpTimestamp sent, NtpTimestamp arrival,
                                  SntpSample& sample);
    static void buildRequest(BYTE (&request)[kRequestSize], NtpTimestamp transmit);

    SntpFailure lastFailure() const { return m_lastFailure; }
    // The server that gave the last successful query its sample.
    const std::wstring& answeredServer() const { return m_answeredServer; }

private:
    bool fail(SntpFailure reason, DWORD error);

    DWORD m_timeoutMs = kDefaultTimeoutMs;
    ProgressHook m_progress;
    OnlineHook m_isOnline;
    SntpFailure m_lastFailure = SntpFailure::None;
    std::wstring m_answeredServer;
};
