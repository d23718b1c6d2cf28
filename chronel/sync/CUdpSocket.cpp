#include "CUdpSocket.h"

#include <vector>

bool CUdpSocket::open()
{
    close();
    m_socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    return m_socket != INVALID_SOCKET;
}

bool CUdpSocket::resolve(const std::wstring& host, in_addr& address)
{
    // Host names go to the resolver in the ANSI code page.
    int bytes = WideCharToMultiByte(CP_ACP, 0, host.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1)
        return false;
    std::vector<char> ansi(bytes);
    WideCharToMultiByte(CP_ACP, 0, host.c_str(), -1, ansi.data(), bytes, nullptr, nullptr);

    unsigned long dotted = ::inet_addr(ansi.data());
    if (dotted != INADDR_NONE) {
        address.s_addr = dotted;
        return true;
    }
    const hostent* entry = ::gethostbyname(ansi.data());
    if (!entry || entry->h_addrtype != AF_INET || !entry->h_addr_list || !entry->h_addr_list[0]) {
        if (WSAGetLastError() == 0)
            WSASetLastError(WSAHOST_NOT_FOUND);
        return false;
    }
    memcpy(&address, entry->h_addr_list[0], sizeof address);
    return true;
}

bool CUdpSocket::connect(const std::wstring& host, unsigned short port)
{
    in_addr address{};
    if (!isOpen() || !resolve(host, address))
        return false;
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr = address;
    return ::connect(m_socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
}

bool CUdpSocket::send(const void* bytes, int count)
{
    return ::send(m_socket, static_cast<const char*>(bytes), count, 0) == count;
}

CUdpSocket::Wait CUdpSocket::waitReadable(DWORD milliseconds)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_socket, &readable);
    timeval limit{};
    limit.tv_sec = static_cast<long>(milliseconds / 1000);
    limit.tv_usec = static_cast<long>((milliseconds % 1000) * 1000);
    int rc = ::select(0, &readable, nullptr, nullptr, &limit);
    if (rc == SOCKET_ERROR)
        return Wait::Error;
    return rc > 0 ? Wait::Ready : Wait::NotReady;
}

int CUdpSocket::receive(void* buffer, int size)
{
    int got = ::recv(m_socket, static_cast<char*>(buffer), size, 0);
    return got == SOCKET_ERROR ? -1 : got;
}

void CUdpSocket::close()
{
    if (m_socket != INVALID_SOCKET) {
        ::closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
}
