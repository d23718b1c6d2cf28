#include "CNtpResponder.h"

CNtpResponder::CNtpResponder(const char* address, unsigned short port, Script script)
    : m_script(std::move(script))
{
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data); // balanced in the destructor
    m_socket = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = inet_addr(address);
    if (m_socket == INVALID_SOCKET || bind(m_socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        if (m_socket != INVALID_SOCKET)
            closesocket(m_socket);
        m_socket = INVALID_SOCKET;
        return;
    }
    int length = sizeof local;
    getsockname(m_socket, reinterpret_cast<sockaddr*>(&local), &length);
    m_port = ntohs(local.sin_port);
    m_thread = std::thread([this] { run(); });
}

CNtpResponder::~CNtpResponder()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_socket != INVALID_SOCKET)
        closesocket(m_socket);
    WSACleanup();
}

void CNtpResponder::run()
{
    while (!m_stop) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_socket, &readable);
        timeval tick{0, 20000};
        if (select(0, &readable, nullptr, nullptr, &tick) <= 0)
            continue;
        std::vector<BYTE> request(512);
        sockaddr_in from{};
        int fromLength = sizeof from;
        int got = recvfrom(m_socket, reinterpret_cast<char*>(request.data()), static_cast<int>(request.size()), 0,
                           reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got <= 0)
            continue;
        request.resize(got);
        std::vector<BYTE> reply = m_script(request, m_requests++);
        if (!reply.empty())
            sendto(m_socket, reinterpret_cast<const char*>(reply.data()), static_cast<int>(reply.size()), 0,
                   reinterpret_cast<sockaddr*>(&from), fromLength);
    }
}

uint64_t CNtpResponder::timestampAt(const std::vector<BYTE>& packet, int offset)
{
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = (v << 8) | packet.at(offset + i);
    return v;
}

void CNtpResponder::putTimestamp(std::vector<BYTE>& packet, int offset, uint64_t value)
{
    for (int i = 7; i >= 0; --i) {
        packet.at(offset + i) = static_cast<BYTE>(value);
        value >>= 8;
    }
}

std::vector<BYTE> CNtpResponder::serverReply(const std::vector<BYTE>& request, uint64_t serverLag, uint64_t hold,
                                             int stratum)
{
    std::vector<BYTE> reply(48, 0);
    reply[0] = 0x24; // leap 0, version 4, mode 4
    reply[1] = static_cast<BYTE>(stratum);
    const uint64_t originate = timestampAt(request, 40);
    putTimestamp(reply, 24, originate);
    putTimestamp(reply, 32, originate + serverLag);
    putTimestamp(reply, 40, originate + serverLag + hold);
    return reply;
}
