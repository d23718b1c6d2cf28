// Runs one clock query through the server list of the settings and prints the sample.
// Usage: SntpCheck [port]

#include "CSntpClient.h"
#include "CWinsockScope.h"

#include <cstdio>
#include <cwchar>

namespace {
void printTimestamp(const char* label, NtpTimestamp t)
{
    std::printf("%-9s %08X.%08X\n", label, static_cast<unsigned>(t.seconds()), static_cast<unsigned>(t.fraction()));
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    unsigned short port = CSntpClient::kNtpPort;
    if (argc > 1) {
        wchar_t* end = nullptr;
        unsigned long value = std::wcstoul(argv[1], &end, 10);
        if (*end || value == 0 || value > 65535) {
            std::fprintf(stderr, "SntpCheck: '%ls' is not a port number\n", argv[1]);
            return 2;
        }
        port = static_cast<unsigned short>(value);
    }

    CWinsockScope winsock(1, 1);
    if (!winsock.started()) {
        std::fprintf(stderr, "SntpCheck: Windows Sockets 1.1 could not be started\n");
        return 1;
    }

    CSntpClient client;
    client.setProgressHook([](const std::wstring& server) { std::printf("trying   %ls\n", server.c_str()); });
    SntpSample sample;
    if (!client.query(sample, port)) {
        std::fprintf(stderr, "SntpCheck: no time server answered (last error %lu)\n", GetLastError());
        return 1;
    }
    std::printf("server    %ls\n", client.answeredServer().c_str());
    std::printf("stratum   %d\n", sample.stratum);
    std::printf("leap      %d\n", sample.leap);
    std::printf("delay     %.6f s\n", sample.delay);
    std::printf("offset    %+.6f s\n", sample.offset);
    printTimestamp("T1", sample.originate);
    printTimestamp("T2", sample.receive);
    printTimestamp("T3", sample.transmit);
    printTimestamp("T4", sample.arrival);
    return 0;
}
