#include "SyncTestFixture.h"
#include "IClockSetter.h"
#include "TimeText.h"

#include <cmath>

namespace {

using ClockSyncTest = SyncTestFixture;

TEST_F(ClockSyncTest, SmallOffsetRecordsTheCheckWithoutTouchingTheClock)
{
    writeDword(settings::kAutocheck.name, 1);
    sync.setLastSample(sampleWithOffset(0.6));
    const DWORD before = currentTimeSeconds();
    EXPECT_TRUE(sync.applyCorrection());
    EXPECT_TRUE(clock.requests.empty());
    DWORD last = 0;
    ASSERT_TRUE(readDword(settings::kLastUpdate.name, last));
    EXPECT_GE(last, before);
    EXPECT_LE(last, before + 2);
    EXPECT_TRUE(logEntries().empty());
    DWORD count = 0;
    EXPECT_FALSE(readDword(settings::kCorrectionCount.name, count));
}

TEST_F(ClockSyncTest, SlowClockIsSetForwardAndLogged)
{
    sync.setLastSample(sampleWithOffset(-1.0));
    EXPECT_TRUE(sync.applyCorrection());
    ASSERT_EQ(clock.requests.size(), 1u);
    EXPECT_NEAR(clock.correctionOf(0), 1.0, 0.05);
    const auto entries = logEntries();
    ASSERT_EQ(entries.size(), 1u);
    const size_t hash = entries[0].find(L'#');
    ASSERT_NE(hash, std::wstring::npos);
    EXPECT_GT(hash, 0u) << "the date and time come first";
    EXPECT_EQ(entries[0].substr(hash), L"#1.0s slow");
    DWORD last = 0;
    EXPECT_TRUE(readDword(settings::kLastUpdate.name, last));
    EXPECT_EQ(readString(settings::kMeanCorrection.name), L"1.00");

    // The busy notice reached the main window first.
    CMessageWindow::pumpFor(50);
    ASSERT_GE(mainWindow.count(WM_SYNC_BUSY), 1u);
    EXPECT_EQ(mainWindow.messagesOf(WM_SYNC_BUSY)[0].wParam, 0u);
}

TEST_F(ClockSyncTest, RefusedClockWritesNothingAndSaysWhy)
{
    clock.refuse = true;
    sync.setLastSample(sampleWithOffset(42.0));
    sync.startCheck(notify.hwnd()); // makes it the notify window; the cache answers at once
    EXPECT_FALSE(sync.applyCorrection());
    ASSERT_EQ(clock.requests.size(), 1u);
    EXPECT_NEAR(clock.correctionOf(0), -42.0, 0.05);
    const auto refusals = notify.messagesOf(WM_CLOCK_SET_FAILED);
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0].text,
              L"Chronel Test was unable to correct your clock.  It is likely that you have insufficient privileges.  "
              L"Please check with your network administrator.");
    DWORD last = 0;
    EXPECT_FALSE(readDword(settings::kLastUpdate.name, last));
    EXPECT_TRUE(logEntries().empty());
    EXPECT_TRUE(sync.lastSample().hasResult()) << "the sample is kept";
}

// The real SetSystemTime refuses a correction here (no right to set the clock), which is the
// same path.
TEST_F(ClockSyncTest, RealClockRefusalTakesTheSamePath)
{
    CSystemClockSetter realClock;
    CClockSync real(realClock);
    real.setDisplayName(L"Chronel Test");
    real.setLastSample(sampleWithOffset(-30.0));
    real.startCheck(notify.hwnd());
    EXPECT_FALSE(real.applyCorrection());
    EXPECT_EQ(notify.count(WM_CLOCK_SET_FAILED), 1u);
    DWORD last = 0;
    EXPECT_FALSE(readDword(settings::kLastUpdate.name, last));
    EXPECT_TRUE(logEntries().empty());
}

TEST_F(ClockSyncTest, CheckAndCorrectSetsTheClockFromTheServer)
{
    serveTime(30.0);
    sync.startCheck(notify.hwnd());
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return notify.count(WM_SYNC_RESULT) > 0; }, 5000));
    results.clear();
    sync.invalidateCache();
    EXPECT_TRUE(sync.checkAndCorrect());
    CMessageWindow::pumpFor(50);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_NEAR(results[0].offset, -30.0, offsetTolerance(results[0]));
    ASSERT_EQ(clock.requests.size(), 1u);
    EXPECT_NEAR(clock.correctionOf(0), 30.0, offsetTolerance(results[0]));
    const auto entries = logEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].find(L"#30.0s slow"), std::wstring::npos) << entries[0];
}

TEST_F(ClockSyncTest, FailedCheckReportsAndAsksForARetry)
{
    serveNothing();
    sync.startCheck(notify.hwnd());
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return notify.count(WM_SYNC_FAILED) > 0; }, 10000));
    const std::wstring failure = notify.messagesOf(WM_SYNC_FAILED)[0].text;
    EXPECT_EQ(failure, L"Time updates require an Internet connection.  If you are connected, adjust the properties "
                       L"on the 'Time Sources' tab.");
    notify.clear();

    EXPECT_FALSE(sync.checkAndCorrect());
    CMessageWindow::pumpFor(50);
    const auto busy = mainWindow.messagesOf(WM_SYNC_BUSY);
    ASSERT_EQ(busy.size(), 1u);
    EXPECT_EQ(busy[0].wParam, 1u);
    ASSERT_GE(notify.count(WM_SYNC_FAILED), 1u);
    EXPECT_EQ(notify.messagesOf(WM_SYNC_FAILED).back().text, failure);
    EXPECT_TRUE(clock.requests.empty());
    EXPECT_FALSE(sync.lastSample().hasResult());
}

TEST_F(ClockSyncTest, OfflineFailsWithoutAskingAServer)
{
    CNtpResponder& time = serveTime(10.0);
    sync.setOnlineTest([] { return false; });
    EXPECT_FALSE(sync.checkNow());
    EXPECT_EQ(time.requests(), 0);
}

// The second check within the hour is answered from the cache, without network traffic and
// without a thread.
TEST_F(ClockSyncTest, SecondCheckWithinTheHourComesFromTheCache)
{
    CNtpResponder& time = serveTime(3.0);
    sync.startCheck(notify.hwnd());
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return results.size() == 1; }, 5000));
    CMessageWindow other;
    other.setRecorder([this](const RecordedMessage& m) {
        if (m.message == WM_SYNC_RESULT)
            results.push_back(*reinterpret_cast<const SntpSample*>(m.lParam));
    });
    sync.startCheck(other.hwnd());
    CMessageWindow::pumpFor(100);
    EXPECT_EQ(time.requests(), 1);
    EXPECT_EQ(sync.workersStarted(), 1);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[1].transmit, results[0].transmit);
    EXPECT_EQ(other.count(WM_SYNC_RESULT), 1u);

    sync.invalidateCache();
    sync.startCheck(other.hwnd());
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return results.size() == 3; }, 5000));
    EXPECT_EQ(time.requests(), 2);
    EXPECT_EQ(sync.workersStarted(), 2);
}

TEST_F(ClockSyncTest, CheckWhileAWorkerRunsStartsNoSecondThread)
{
    // The server takes its time, so the first worker is still waiting.
    server = std::make_unique<CNtpResponder>("127.0.0.1", 0, [](const std::vector<BYTE>& request, int) {
        Sleep(700);
        return CNtpResponder::serverReply(request, 2 * kNtpSecond, 0);
    });
    useServer(L"127.0.0.1", server->port());
    CMessageWindow second;
    sync.startCheck(notify.hwnd());
    sync.startCheck(second.hwnd());
    EXPECT_TRUE(sync.workerRunning());
    EXPECT_EQ(sync.workersStarted(), 1);
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return second.count(WM_SYNC_RESULT) > 0; }, 5000))
        << "the running worker reports to the latest window";
    EXPECT_EQ(notify.count(WM_SYNC_RESULT), 0u);
    EXPECT_EQ(server->requests(), 1);
}

// Progress for the second server is sent from the worker to the window that started the
// check.
TEST_F(ClockSyncTest, ProgressNamesTheNextServer)
{
    serveTime(2.0);
    settings::write(settings::server(1), L"no-such-host.invalid");
    settings::write(settings::server(2), L"127.0.0.1");
    sync.startCheck(notify.hwnd());
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return results.size() == 1; }, 10000));
    const auto progress = notify.messagesOf(WM_SYNC_PROGRESS);
    ASSERT_EQ(progress.size(), 1u);
    EXPECT_EQ(progress[0].text, L"127.0.0.1");
}

} // namespace
