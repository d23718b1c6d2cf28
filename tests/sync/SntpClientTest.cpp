#include "CNtpResponder.h"
#include "CRegistryKey.h"
#include "CSntpClient.h"
#include "CSuiteRegistryTest.h"
#include "ChronelSettings.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;
constexpr uint64_t kSecond = 1ull << 32;

class SntpClientTest : public CSuiteRegistryTest {
protected:
    static void setServer(int k, const std::wstring& text)
    {
        CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).writeString(settings::server(k).name, text);
    }

    // Answers every request with the good reply of a server `lag` ahead of this machine
    // (2^-32 s units; a wrapped-around value is a server behind), holding it `hold`.
    static CNtpResponder::Script goodServer(uint64_t lag, uint64_t hold = 0)
    {
        return [lag, hold](const Bytes& request, int) { return CNtpResponder::serverReply(request, lag, hold); };
    }
    static CNtpResponder::Script silent()
    {
        return [](const Bytes&, int) { return Bytes{}; };
    }

    CTestWinsock m_winsock;
};

TEST_F(SntpClientTest, RequestIsVersion3ClientModeWithTheCurrentTime)
{
    Bytes seen;
    std::mutex lock;
    CNtpResponder server("127.0.0.1", 0, [&](const Bytes& request, int) {
        std::lock_guard<std::mutex> guard(lock);
        seen = request;
        return CNtpResponder::serverReply(request, 0, 0);
    });
    ASSERT_TRUE(server.listening());
    CSntpClient client;
    SntpSample sample;
    const NtpTimestamp before = NtpTimestamp::now();
    ASSERT_TRUE(client.queryServer(L"127.0.0.1", sample, server.port()));
    std::lock_guard<std::mutex> guard(lock);
    ASSERT_EQ(seen.size(), 48u);
    EXPECT_EQ(seen[0], 0x1B);
    for (int i = 1; i < 40; ++i)
        EXPECT_EQ(seen[i], 0) << "byte " << i;
    const NtpTimestamp sent{CNtpResponder::timestampAt(seen, 40)};
    EXPECT_EQ(sent, sample.originate);
    EXPECT_GE(NtpTimestamp::difference(sent, before), 0.0);
    EXPECT_LT(NtpTimestamp::difference(sent, before), 1.0);
}

// A server whose clock runs ahead or behind by a known amount and that holds the request a
// known time: delay and offset follow from T1..T4 to within 10^-9 s.
TEST_F(SntpClientTest, KnownOffsetAndDelay)
{
    struct Case {
        uint64_t lag;
        uint64_t hold;
        double lagSeconds;
        double holdSeconds;
    };
    const Case cases[] = {
        {2 * kSecond, kSecond / 4, 2.0, 0.25},             // 2 s ahead, held 0.25 s
        {0 - 100 * kSecond, kSecond / 2, -100.0, 0.5},     // 100 s behind
        {kSecond / 2, 0, 0.5, 0.0},                        // the worked example's server
        {3600 * kSecond + kSecond / 10, 0, 3600.1, 0.0},   // an hour ahead
    };
    for (const Case& c : cases) {
        CNtpResponder server("127.0.0.1", 0, goodServer(c.lag, c.hold));
        CSntpClient client;
        SntpSample sample;
        ASSERT_TRUE(client.queryServer(L"127.0.0.1", sample, server.port()));
        EXPECT_EQ(sample.stratum, 2);
        EXPECT_EQ(sample.leap, 0);
        EXPECT_EQ(sample.receive.value - sample.originate.value, c.lag);
        EXPECT_EQ(sample.transmit.value - sample.receive.value, c.hold);

        const double roundTrip = NtpTimestamp::difference(sample.arrival, sample.originate);
        EXPECT_GE(roundTrip, 0.0);
        EXPECT_LT(roundTrip, 0.5);
        // Fractions count in units of 1/(2^32 - 1) s.
        const double unit = 4294967296.0 / 4294967295.0;
        const double hold = c.holdSeconds * unit;
        EXPECT_NEAR(sample.delay, (roundTrip - hold) / 2, 1e-9);
        EXPECT_NEAR(sample.offset, roundTrip / 2 - NtpTimestamp::difference(sample.receive, sample.originate) - hold / 2,
                    1e-9);
        EXPECT_NEAR(sample.offset, -c.lagSeconds - c.holdSeconds / 2, 0.5);
    }
}

// Every reply that does not come from a synchronised server answering this very request is
// refused; each leaves its reason.
TEST_F(SntpClientTest, UnacceptableRepliesAreRejected)
{
    struct Case {
        const char* what;
        std::function<void(Bytes&)> spoil;
        SntpFailure reason;
    };
    const Case cases[] = {
        {"client mode", [](Bytes& r) { r[0] = 0x23; }, SntpFailure::NotServer},
        {"broadcast mode", [](Bytes& r) { r[0] = 0x25; }, SntpFailure::NotServer},
        {"symmetric mode", [](Bytes& r) { r[0] = 0x21; }, SntpFailure::NotServer},
        {"leap indicator 3", [](Bytes& r) { r[0] = 0xE4; }, SntpFailure::Unsynchronised},
        {"stratum 16", [](Bytes& r) { r[1] = 16; }, SntpFailure::BadStratum},
        {"stratum 255", [](Bytes& r) { r[1] = 255; }, SntpFailure::BadStratum},
        {"kiss of death",
         [](Bytes& r) {
             r[1] = 0;
             memcpy(&r[12], "RATE", 4);
             std::fill(r.begin() + 32, r.begin() + 48, 0);
         },
         SntpFailure::BadStratum},
        {"zero transmit time", [](Bytes& r) { std::fill(r.begin() + 40, r.begin() + 48, 0); },
         SntpFailure::ZeroTransmit},
        {"originate of another request", [](Bytes& r) { r[31] ^= 1; }, SntpFailure::WrongOriginate},
        {"zero originate", [](Bytes& r) { std::fill(r.begin() + 24, r.begin() + 32, 0); },
         SntpFailure::WrongOriginate},
        {"only byte 1 nonzero",
         [](Bytes& r) {
             std::fill(r.begin(), r.end(), 0);
             r[1] = 1;
         },
         SntpFailure::NotServer},
        {"48 zero bytes", [](Bytes& r) { std::fill(r.begin(), r.end(), 0); }, SntpFailure::NotServer},
        {"truncated header", [](Bytes& r) { r.resize(47); }, SntpFailure::Truncated},
        {"a single byte", [](Bytes& r) { r.resize(1); }, SntpFailure::Truncated},
        {"oversized datagram", [](Bytes& r) { r.resize(200, 0xAA); }, SntpFailure::Receive},
    };
    for (const Case& c : cases) {
        CNtpResponder server("127.0.0.1", 0, [&c](const Bytes& request, int) {
            Bytes reply = CNtpResponder::serverReply(request, kSecond, 0);
            c.spoil(reply);
            return reply;
        });
        CSntpClient client;
        SntpSample sample;
        sample.stratum = 99;
        EXPECT_FALSE(client.queryServer(L"127.0.0.1", sample, server.port())) << c.what;
        EXPECT_EQ(client.lastFailure(), c.reason) << c.what;
        EXPECT_FALSE(sample.hasResult()) << c.what;
        EXPECT_EQ(sample.stratum, 0) << c.what;
    }
}

// A rejected reply counts as that server failing: the next server is asked, once. The first
// server is 127.0.0.1 and the second "localhost", both served by one responder.
TEST_F(SntpClientTest, RejectedReplyMovesOnToTheNextServer)
{
    CNtpResponder server("127.0.0.1", 0, [](const Bytes& request, int number) {
        if (number > 0)
            return CNtpResponder::serverReply(request, 5 * kSecond, 0);
        Bytes reply = CNtpResponder::serverReply(request, 0, 0);
        reply[1] = 0; // kiss of death
        return reply;
    });
    ASSERT_TRUE(server.listening());
    setServer(1, L"127.0.0.1");
    setServer(2, L"localhost");

    CSntpClient client;
    std::vector<std::wstring> progress;
    client.setProgressHook([&](const std::wstring& s) { progress.push_back(s); });
    SntpSample sample;
    ASSERT_TRUE(client.query(sample, server.port()));
    EXPECT_EQ(client.answeredServer(), L"localhost");
    EXPECT_NEAR(sample.offset, -5.0, 0.1);
    EXPECT_EQ(progress, std::vector<std::wstring>{L"localhost"});
    EXPECT_EQ(server.requests(), 2);
}

// A server that never answers costs exactly one request and the time-out; progress is
// reported for the second and later servers only.
TEST_F(SntpClientTest, SilentServerIsSkippedAfterTheTimeout)
{
    CNtpResponder server("127.0.0.1", 0, [](const Bytes& request, int number) {
        return number == 0 ? Bytes{} : CNtpResponder::serverReply(request, kSecond, 0);
    });
    ASSERT_TRUE(server.listening());
    setServer(1, L"127.0.0.1");
    setServer(2, L"localhost");
    setServer(4, L"127.0.0.1");

    CSntpClient client;
    EXPECT_EQ(client.timeout(), 5000u);
    std::vector<std::wstring> progress;
    client.setProgressHook([&](const std::wstring& s) { progress.push_back(s); });
    SntpSample sample;
    const DWORD start = GetTickCount();
    ASSERT_TRUE(client.query(sample, server.port()));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 4900u) << "the silent server was given the whole time-out";
    EXPECT_EQ(client.answeredServer(), L"localhost");
    EXPECT_EQ(progress, std::vector<std::wstring>{L"localhost"});
    EXPECT_EQ(server.requests(), 2) << "no retransmission, and the list stops at the first answer";
}

TEST_F(SntpClientTest, EveryServerFailingFailsTheQuery)
{
    CNtpResponder mute("127.0.0.1", 0, silent());
    setServer(1, L"127.0.0.1");
    setServer(2, L"no-such-host.invalid");
    CSntpClient client;
    client.setTimeout(300);
    std::vector<std::wstring> progress;
    client.setProgressHook([&](const std::wstring& s) { progress.push_back(s); });
    SntpSample sample;
    sample.originate = NtpTimestamp::fromParts(1, 1);
    EXPECT_FALSE(client.query(sample, mute.port()));
    EXPECT_FALSE(sample.hasResult()) << "the sample is zeroed at the start of every query";
    EXPECT_EQ(client.lastFailure(), SntpFailure::Resolve);
    EXPECT_EQ(progress, std::vector<std::wstring>{L"no-such-host.invalid"});

    EXPECT_FALSE(client.queryServer(L"127.0.0.1", sample, mute.port()));
    EXPECT_EQ(client.lastFailure(), SntpFailure::Timeout);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(WSAETIMEDOUT));
}

TEST_F(SntpClientTest, OfflineAsksNoServer)
{
    CNtpResponder server("127.0.0.1", 0, goodServer(0));
    setServer(1, L"127.0.0.1");
    CSntpClient client;
    int tests = 0;
    client.setOnlineHook([&] {
        ++tests;
        return false;
    });
    SntpSample sample;
    EXPECT_FALSE(client.query(sample, server.port()));
    EXPECT_EQ(tests, 1);
    EXPECT_EQ(client.lastFailure(), SntpFailure::Offline);
    Sleep(100);
    EXPECT_EQ(server.requests(), 0);
}

// The real NTP server that the test script runs on loopback serves this machine's clock, so
// the offset is within a few milliseconds of zero.
TEST_F(SntpClientTest, RealServerOnLoopback)
{
    const unsigned short port = testenv::ntpServerPort();
    ASSERT_NE(port, 0) << "VELMORA_NTP_PORT is not set: run the tests through scripts/test";
    setServer(1, L"127.0.0.1");
    CSntpClient client;
    SntpSample sample;
    ASSERT_TRUE(client.query(sample, port)) << "last error " << GetLastError();
    EXPECT_EQ(client.answeredServer(), L"127.0.0.1");
    EXPECT_GE(sample.stratum, 1);
    EXPECT_LE(sample.stratum, 15);
    EXPECT_NE(sample.leap, 3);
    // Off by at most the one-way delay, plus a millisecond of stamp resolution on either side.
    EXPECT_NEAR(sample.offset, 0.0, sample.delay + 0.005);
    EXPECT_GE(sample.delay, -0.001);
    EXPECT_LT(sample.delay, 1.0) << "a loopback exchange";
}

} // namespace
