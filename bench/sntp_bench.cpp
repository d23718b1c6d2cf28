// Repeated SNTP exchanges with the NTP server on loopback: median and worst round trip and
// offset. Usage: sntp_bench <port> [exchanges]

#include "CSntpClient.h"
#include "CWinsockScope.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {
double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
double worst(const std::vector<double>& v)
{
    double w = 0;
    for (double x : v)
        w = std::max(w, std::fabs(x));
    return w;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: sntp_bench <port> [exchanges]\n");
        return 2;
    }
    const auto port = static_cast<unsigned short>(std::wcstoul(argv[1], nullptr, 10));
    const int count = argc > 2 ? static_cast<int>(std::wcstol(argv[2], nullptr, 10)) : 200;
    CWinsockScope winsock(1, 1);
    CSntpClient client;
    std::vector<double> roundTrips, offsets, wall;
    int failures = 0;
    LARGE_INTEGER frequency, t0, t1;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < count; ++i) {
        SntpSample sample;
        QueryPerformanceCounter(&t0);
        bool ok = client.queryServer(L"127.0.0.1", sample, port);
        QueryPerformanceCounter(&t1);
        if (!ok) {
            ++failures;
            continue;
        }
        roundTrips.push_back(NtpTimestamp::difference(sample.arrival, sample.originate) * 1000);
        offsets.push_back(sample.offset * 1000);
        wall.push_back(static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000 / frequency.QuadPart);
    }
    std::printf("SNTP exchanges with 127.0.0.1:%u: %d ok, %d failed\n", port, count - failures, failures);
    std::printf("  round trip (T4-T1)   median %.3f ms   worst %.3f ms\n", median(roundTrips), worst(roundTrips));
    std::printf("  whole exchange       median %.3f ms   worst %.3f ms\n", median(wall), worst(wall));
    std::printf("  offset               median %+.3f ms  worst |%.3f| ms\n", median(offsets), worst(offsets));
    return failures == count ? 1 : 0;
}
