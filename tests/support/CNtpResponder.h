#pragma once
// A scripted NTP server on a loopback address: each request is handed to the script with its
// number (0 for the first), and the script's answer (any bytes, or nothing for silence) is
// sent back to the requester. Wine binds one UDP port on one loopback address only, so
// servers that share a port are told apart by the order of their requests: the client sends
// exactly one request per server.

#include <windows.h>
#include <winsock.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class CNtpResponder {
public:
    using Script = std::function<std::vector<BYTE>(const std::vector<BYTE>& request, int number)>;

    // Binds `address` (a dotted loopback address) at `port`, or at a free port when 0.
    CNtpResponder(const char* address, unsigned short port, Script script);
    ~CNtpResponder();
    CNtpResponder(const CNtpResponder&) = delete;
    CNtpResponder& operator=(const CNtpResponder&) = delete;

    bool listening() const { return m_socket != INVALID_SOCKET; }
    unsigned short port() const { return m_port; }
    int requests() const { return m_requests.load(); }

    // A well-formed server reply to `request`: leap 0, version 4, mode 4, the given stratum,
    // originate = the request's transmit time, receive = originate + serverLag seconds and
    // transmit = receive + hold seconds (fractions in units of 2^-32 s).
    static std::vector<BYTE> serverReply(const std::vector<BYTE>& request, uint64_t serverLag, uint64_t hold,
                                         int stratum = 2);
    static uint64_t timestampAt(const std::vector<BYTE>& packet, int offset);
    static void putTimestamp(std::vector<BYTE>& packet, int offset, uint64_t value);

private:
    void run();

    SOCKET m_socket = INVALID_SOCKET;
    unsigned short m_port = 0;
    Script m_script;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_requests{0};
    std::thread m_thread;
};

// Windows Sockets started for a test, as the application does before a check.
class CTestWinsock {
public:
    CTestWinsock() { WSAStartup(MAKEWORD(1, 1), &m_data); }
    ~CTestWinsock() { WSACleanup(); }

private:
    WSADATA m_data{};
};
