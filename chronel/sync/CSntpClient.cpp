#include "CSntpClient.h"

#include "CRegistryKey.h"
#include "CTimeServers.h"
#include "CUdpSocket.h"
#include "ChronelSettings.h"
#include "DefaultTimeServers.h"

#include <cstring>

namespace {

uint32_t readBigEndian32(const BYTE* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

NtpTimestamp readTimestamp(const BYTE* p) { return NtpTimestamp::fromParts(readBigEndian32(p), readBigEndian32(p + 4)); }

void writeBigEndian32(BYTE* p, uint32_t v)
{
    p[0] = static_cast<BYTE>(v >> 24);
    p[1] = static_cast<BYTE>(v >> 16);
    p[2] = static_cast<BYTE>(v >> 8);
    p[3] = static_cast<BYTE>(v);
}

constexpr BYTE kClientRequestByte0 = 0x1B; // leap 0, version 3, mode 3 (client)
constexpr int kModeServer = 4;
constexpr int kLeapUnsynchronised = 3;
constexpr int kMaxStratum = 15;

} // namespace

CSntpClient::CSntpClient()
    : m_progress([](const std::wstring&) {}), m_isOnline([] { return true; })
{
}

bool CSntpClient::fail(SntpFailure reason, DWORD error)
{
    m_lastFailure = reason;
    SetLastError(error);
    return false;
}

void CSntpClient::buildRequest(BYTE (&request)[kRequestSize], NtpTimestamp transmit)
{
    std::memset(request, 0, sizeof request);
    request[0] = kClientRequestByte0;
    writeBigEndian32(request + 40, transmit.seconds());
    writeBigEndian32(request + 44, transmit.fraction());
}

SntpFailure CSntpClient::parseReply(const BYTE* reply, int length, NtpTimestamp sent, NtpTimestamp arrival,
                                    SntpSample& sample)
{
    // Only a whole header from a synchronised server that answers this very request is
    // believed: anything else could move the clock by decades.
    if (length < kRequestSize)
        return SntpFailure::Truncated;
    const int leap = reply[0] >> 6;
    const int mode = reply[0] & 7;
    const int stratum = reply[1];
    if (mode != kModeServer)
        return SntpFailure::NotServer;
    if (leap == kLeapUnsynchronised)
        return SntpFailure::Unsynchronised;
    if (stratum == 0 || stratum > kMaxStratum)
        return SntpFailure::BadStratum;
    const NtpTimestamp originate = readTimestamp(reply + 24);
    const NtpTimestamp receive = readTimestamp(reply + 32);
    const NtpTimestamp transmit = readTimestamp(reply + 40);
    if (transmit.isZero())
        return SntpFailure::ZeroTransmit;
    if (!(originate == sent))
        return SntpFailure::WrongOriginate;

    sample.leap = leap;
    sample.stratum = stratum;
    sample.originate = originate;
    sample.receive = receive;
    sample.transmit = transmit;
    sample.arrival = arrival;
    sample.computeDelayAndOffset();
    return SntpFailure::None;
}

bool CSntpClient::queryServer(const std::wstring& host, SntpSample& sample, unsigned short port)
{
    sample = SntpSample{};
    m_lastFailure = SntpFailure::None;

    CUdpSocket socket;
    if (!socket.open())
        return fail(SntpFailure::Socket, WSAGetLastError());
    if (!socket.connect(host, port))
        return fail(SntpFailure::Resolve, WSAGetLastError());

    BYTE request[kRequestSize];
    const NtpTimestamp sent = NtpTimestamp::now();
    buildRequest(request, sent);
    if (!socket.send(request, sizeof request))
        return fail(SntpFailure::Send, WSAGetLastError());

    if (socket.waitReadable(m_timeoutMs) != CUdpSocket::Wait::Ready)
        return fail(SntpFailure::Timeout, WSAETIMEDOUT);

    const NtpTimestamp arrival = NtpTimestamp::now();
    BYTE reply[kReplyBufferSize] = {};
    int got = socket.receive(reply, sizeof reply);
    if (got <= 0)
        return fail(SntpFailure::Receive, got == 0 ? WSAECONNRESET : WSAGetLastError());

    SntpSample parsed;
    SntpFailure verdict = parseReply(reply, got, sent, arrival, parsed);
    if (verdict != SntpFailure::None)
        return fail(verdict, ERROR_INVALID_DATA);
    sample = parsed;
    return true;
}

void CSntpClient::buildServerList(std::vector<std::wstring>& list)
{
    list.clear();
    CRegistryKey key(HKEY_CURRENT_USER, settings::kRootPath);
    for (int k = 1; k <= CTimeServers::kCount; ++k) {
        std::wstring text;
        if (!key.readString(settings::server(k).name, text))
            continue;
        for (const auto& server : kDefaultTimeServers) {
            if (_wcsicmp(text.c_str(), server.hostName) == 0) {
                text = server.substituteAddress;
                break;
            }
        }
        if (!text.empty())
            list.push_back(std::move(text));
    }
    if (!list.empty())
        return;
    CTimeServers().restoreDefaults();
    for (const DefaultTimeServer& server : kDefaultTimeServers)
        list.push_back(server.fallbackAddress);
}

bool CSntpClient::query(SntpSample& sample, unsigned short port)
{
    sample = SntpSample{};
    m_answeredServer.clear();
    std::vector<std::wstring> servers;
    buildServerList(servers);
    if (!m_isOnline())
        return fail(SntpFailure::Offline, WSAENETUNREACH);
    for (size_t i = 0; i < servers.size(); ++i) {
        if (i > 0)
            m_progress(servers[i]);
        if (queryServer(servers[i], sample, port)) {
            m_answeredServer = servers[i];
            return true;
        }
    }
    return false;
}
