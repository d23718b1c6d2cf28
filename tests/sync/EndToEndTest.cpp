#include "CCheckSchedule.h"
#include "SyncTestFixture.h"
#include "TestEnvironment.h"
#include "TimeText.h"

#include <cwchar>

namespace {

using EndToEndTest = SyncTestFixture;

// The test script runs a real NTP server whose clock is ahead of this machine's by a known
// number of seconds: a scheduled check asks the clock to move forward by exactly that, and
// records the check and the correction.
TEST_F(EndToEndTest, ShiftedServerCorrectsTheClock)
{
    const unsigned short port = static_cast<unsigned short>(
        std::wcstoul(testenv::variable(L"VELMORA_NTP_SHIFTED_PORT").c_str(), nullptr, 10));
    const double shift = std::wcstod(testenv::variable(L"VELMORA_NTP_SHIFT_SECONDS").c_str(), nullptr);
    ASSERT_NE(port, 0) << "VELMORA_NTP_SHIFTED_PORT is not set: run the tests through scripts/test";
    ASSERT_GT(shift, 60.0);

    writeDword(settings::kAutocheck.name, 1);
    useServer(L"127.0.0.1", port);

    const DWORD before = currentTimeSeconds();
    ASSERT_TRUE(sync.checkAndCorrect());
    ASSERT_EQ(clock.requests.size(), 1u);
    EXPECT_NEAR(clock.correctionOf(0), shift, offsetTolerance(sync.lastSample()));

    DWORD last = 0, next = 0;
    ASSERT_TRUE(readDword(settings::kLastUpdate.name, last));
    ASSERT_TRUE(readDword(settings::kNextUpdate.name, next));
    EXPECT_GE(last, before);
    EXPECT_LE(last, before + 2);
    EXPECT_EQ(next, last + 14400);

    const auto entries = logEntries();
    ASSERT_EQ(entries.size(), 1u);
    const std::wstring expected = L"#" + CCorrectionHistory::correctionText(-shift) + L" slow";
    EXPECT_EQ(entries[0].substr(entries[0].find(L'#')), expected);
    EXPECT_EQ(CCorrectionHistory().countText(), L"1");
}

} // namespace
