#pragma once
// One datagram socket for one exchange with one server. Windows Sockets must already be
// started in the process.

#include <windows.h>
#include <winsock.h>

#include <string>

class CUdpSocket {
public:
    enum class Wait { Ready, NotReady, Error };

    CUdpSocket() = default;
    ~CUdpSocket() { close(); }
    CUdpSocket(const CUdpSocket&) = delete;
    CUdpSocket& operator=(const CUdpSocket&) = delete;

    bool open();
    // A dotted IPv4 text is used as it is, anything else is resolved by name (first address).
    // The socket is connected, so only that address's datagrams are received.
    bool connect(const std::wstring& host, unsigned short port);
    bool send(const void* bytes, int count);
    Wait waitReadable(DWORD milliseconds);
    // Bytes received, or -1 on error.
    int receive(void* buffer, int size);
    void close();
    bool isOpen() const { return m_socket != INVALID_SOCKET; }

    // The IPv4 address of a dotted text or a host name; false when it does not resolve.
    static bool resolve(const std::wstring& host, in_addr& address);

private:
    SOCKET m_socket = INVALID_SOCKET;
};
