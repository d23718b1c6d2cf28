#include "CCheckSchedule.h"
#include "CConnectivityTest.h"
#include "RunEntry.h"
#include "SyncTestFixture.h"
#include "TimeText.h"

namespace {

// The main window of these tests hands the schedule its messages, as the program's main
// window does.
class CheckScheduleTest : public SyncTestFixture {
protected:
    CheckScheduleTest()
    {
        mainWindow.watch(WM_TIMER);
        mainWindow.watch(WM_TIMECHANGE);
        mainWindow.setHandler([this](UINT message, WPARAM wParam, LPARAM) {
            switch (message) {
            case WM_AUTOCHECK_CHANGED:
                schedule.onAutocheckChanged(wParam);
                return true;
            case WM_TIMER:
                schedule.onTimer(wParam);
                return true;
            case WM_SYNC_BUSY:
                schedule.onSyncBusy(wParam);
                return true;
            case WM_TIMECHANGE:
                schedule.onTimeChange();
                return true;
            }
            return false;
        });
    }

    static DWORD stored(const wchar_t* name)
    {
        DWORD value = 0;
        EXPECT_TRUE(readDword(name, value)) << "missing " << name;
        return value;
    }
    static bool exists(const wchar_t* name)
    {
        DWORD value = 0;
        return readDword(name, value);
    }
    // Posts WM_AUTOCHECK_CHANGED as the program does and lets the window handle it.
    void rebuild()
    {
        schedule.postAutocheck();
        CMessageWindow::pumpFor(50);
    }
};

TEST_F(CheckScheduleTest, FreshSettingsScheduleADayAheadWithoutChecking)
{
    CNtpResponder& time = serveTime(5.0);
    const DWORD now = currentTimeSeconds();
    rebuild();
    EXPECT_EQ(stored(settings::kAutocheck.name), 1u);
    EXPECT_NEAR(static_cast<double>(stored(settings::kNextUpdate.name)), now + 86400.0, 2.0);
    EXPECT_EQ(schedule.scheduleInterval(), 60000u);
    EXPECT_FALSE(schedule.fineMode());
    EXPECT_EQ(time.requests(), 0);
    EXPECT_FALSE(exists(settings::kLastUpdate.name));
}

TEST_F(CheckScheduleTest, AutocheckOffRunsNoTimer)
{
    writeDword(settings::kAutocheck.name, 0);
    writeDword(settings::kNextUpdate.name, currentTimeSeconds() - 100);
    CNtpResponder& time = serveTime(5.0);
    rebuild();
    EXPECT_EQ(schedule.scheduleInterval(), 0u);
    EXPECT_EQ(time.requests(), 0) << "no automatic check, even when one is overdue";
}

// Within a minute of NextUpdate the timer ticks every second, and the check starts within a
// second of the due time.
TEST_F(CheckScheduleTest, LastMinuteIsWatchedEverySecond)
{
    CNtpResponder& time = serveTime(0.0);
    writeDword(settings::kAutocheck.name, 1);
    writeDword(settings::kNextUpdate.name, currentTimeSeconds() + 30);
    rebuild();
    EXPECT_EQ(schedule.scheduleInterval(), 1000u);
    EXPECT_TRUE(schedule.fineMode());

    const DWORD due = currentTimeSeconds() + 2;
    writeDword(settings::kNextUpdate.name, due);
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return time.requests() > 0; }, 6000));
    const DWORD last = stored(settings::kLastUpdate.name);
    EXPECT_GE(last, due);
    EXPECT_LE(last, due + 1);
    EXPECT_GE(mainWindow.count(WM_TIMER), 2u);
}

// A timer that runs every minute switches to every second once NextUpdate is a minute away.
TEST_F(CheckScheduleTest, CoarseTickSwitchesToFineMode)
{
    writeDword(settings::kAutocheck.name, 1);
    writeDword(settings::kNextUpdate.name, currentTimeSeconds() + 600);
    rebuild();
    EXPECT_EQ(schedule.scheduleInterval(), 60000u);
    writeDword(settings::kNextUpdate.name, currentTimeSeconds() + 45);
    schedule.onTimer(IDT_SCHEDULE);
    EXPECT_EQ(schedule.scheduleInterval(), 1000u);
    EXPECT_TRUE(schedule.fineMode());

    CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).deleteValue(settings::kNextUpdate.name);
    schedule.onTimer(IDT_SCHEDULE);
    EXPECT_EQ(schedule.scheduleInterval(), 0u) << "no NextUpdate: the timer stops";
}

// After a restart an overdue check runs during the rebuild itself, and the successful check
// schedules the next one from its own end: DailyUpdate and Hours missing give 4 hours.
TEST_F(CheckScheduleTest, OverdueCheckRunsDuringTheRebuild)
{
    CNtpResponder& time = serveTime(0.2);
    writeDword(settings::kAutocheck.name, 1);
    writeDword(settings::kNextUpdate.name, currentTimeSeconds() - 3600);
    schedule.onAutocheckChanged(1);
    EXPECT_EQ(time.requests(), 1);
    const DWORD last = stored(settings::kLastUpdate.name);
    EXPECT_EQ(stored(settings::kNextUpdate.name), last + 14400);
    EXPECT_TRUE(clock.requests.empty()) << "0.2 s is left alone";
    EXPECT_EQ(schedule.scheduleInterval(), 0u);
    rebuild(); // the check posted WM_AUTOCHECK_CHANGED: the new NextUpdate is watched
    EXPECT_EQ(schedule.scheduleInterval(), 60000u);
}

TEST_F(CheckScheduleTest, DailyUpdateSchedulesADayAfterTheCheck)
{
    serveTime(0.0);
    writeDword(settings::kAutocheck.name, 1);
    writeDword(settings::kDailyUpdate.name, 1);
    writeDword(settings::kHours.name, 2);
    CCheckSchedule::recordCheck(mainWindow.hwnd());
    EXPECT_EQ(stored(settings::kNextUpdate.name), stored(settings::kLastUpdate.name) + 86400);
}

// A failed check starts the one-minute retry; a later successful retry stops it.
TEST_F(CheckScheduleTest, FailedCheckIsRetriedUntilItSucceeds)
{
    serveNothing();
    writeDword(settings::kAutocheck.name, 1);
    const DWORD overdue = currentTimeSeconds() - 10;
    writeDword(settings::kNextUpdate.name, overdue);
    rebuild();
    CMessageWindow::pumpFor(100);
    EXPECT_TRUE(schedule.retryRunning());
    EXPECT_EQ(stored(settings::kNextUpdate.name), overdue) << "a failed check leaves NextUpdate";
    EXPECT_FALSE(exists(settings::kLastUpdate.name));

    // The next tick fails again: the retry goes on.
    schedule.onTimer(IDT_RETRY);
    CMessageWindow::pumpFor(50);
    EXPECT_TRUE(schedule.retryRunning());

    serveTime(0.0);
    schedule.onTimer(IDT_RETRY);
    CMessageWindow::pumpFor(50);
    EXPECT_FALSE(schedule.retryRunning());
    EXPECT_TRUE(exists(settings::kLastUpdate.name));
}

TEST_F(CheckScheduleTest, SettersRescheduleFromTheLastCheck)
{
    const DWORD last = currentTimeSeconds() - 1000;
    writeDword(settings::kLastUpdate.name, last);
    writeDword(settings::kAutocheck.name, 1);

    schedule.setDailyUpdate(false);
    EXPECT_EQ(stored(settings::kDailyUpdate.name), 0u);
    EXPECT_EQ(stored(settings::kNextUpdate.name), last + 4 * 3600);

    schedule.setHours(6);
    EXPECT_EQ(stored(settings::kNextUpdate.name), last + 6 * 3600);

    schedule.setHours(0);
    EXPECT_EQ(stored(settings::kHours.name), 1u) << "at least one hour";
    EXPECT_EQ(stored(settings::kNextUpdate.name), last + 3600);

    schedule.setDailyUpdate(true);
    EXPECT_EQ(stored(settings::kNextUpdate.name), last + 86400);

    // A missing DailyUpdate counts as on for the setters.
    CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).deleteValue(settings::kDailyUpdate.name);
    schedule.setHours(3);
    EXPECT_EQ(stored(settings::kNextUpdate.name), last + 86400);

    // With automatic checks off, or checking at the next start, NextUpdate stays.
    writeDword(settings::kNextUpdate.name, 12345);
    schedule.setAutocheck(false);
    EXPECT_EQ(stored(settings::kAutocheck.name), 0u);
    schedule.setHours(5);
    EXPECT_EQ(stored(settings::kNextUpdate.name), 12345u);
    writeDword(settings::kAutocheck.name, 1);
    writeDword(settings::kExitOnCheck.name, 1);
    schedule.setDailyUpdate(false);
    EXPECT_EQ(stored(settings::kNextUpdate.name), 12345u);

    // Without a last check the base is now.
    writeDword(settings::kExitOnCheck.name, 0);
    CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).deleteValue(settings::kLastUpdate.name);
    const DWORD now = currentTimeSeconds();
    schedule.setHours(2);
    EXPECT_NEAR(static_cast<double>(stored(settings::kNextUpdate.name)), now + 7200.0, 2.0);
}

TEST_F(CheckScheduleTest, ExitOnCheckMeansTheNextStart)
{
    const DWORD now = currentTimeSeconds();
    schedule.setExitOnCheck(true);
    EXPECT_EQ(CCheckSchedule::nextCheckText(), L"On next application start");
    EXPECT_NEAR(static_cast<double>(stored(settings::kNextUpdate.name)), now + 86400.0, 2.0);
    std::wstring run;
    ASSERT_TRUE(CRegistryKey(HKEY_CURRENT_USER, kRunKeyPath).readString(kRunValueName, run));
    EXPECT_EQ(run, runEntryText(false) + L" noShow");
    EXPECT_EQ(run.front(), L'"');

    schedule.setExitOnCheck(false);
    EXPECT_EQ(CCheckSchedule::nextCheckText(), formatLocalDateTime(stored(settings::kNextUpdate.name)));
    ASSERT_TRUE(CRegistryKey(HKEY_CURRENT_USER, kRunKeyPath).readString(kRunValueName, run));
    EXPECT_EQ(run.find(L"noShow"), std::wstring::npos);
}

TEST_F(CheckScheduleTest, Texts)
{
    EXPECT_EQ(CCheckSchedule::lastCheckText(), L"No Updates Made");
    EXPECT_EQ(CCheckSchedule::nextCheckText(), L"");
    writeDword(settings::kLastUpdate.name, 1796910330); // 2026-12-10 13:45:30 UTC
    const std::wstring last = CCheckSchedule::lastCheckText();
    EXPECT_NE(last.find(L"2026"), std::wstring::npos) << last;
    EXPECT_NE(last.find(L":45:30"), std::wstring::npos) << last;

    const std::wstring explanation = CConnectivityTest::explanation(L"Chronel Test");
    EXPECT_EQ(explanation.rfind(L"If you connect to the Internet via a modem, we assumed that you do not want "
                                L"Chronel Test provoking an Internet connection just to check your clock.",
                                0),
              0u);
    EXPECT_EQ(explanation.find(L"%s"), std::wstring::npos);
    EXPECT_NE(explanation.find(L"Chronel Test", explanation.find(L"Chronel Test") + 1), std::wstring::npos)
        << "every %s takes the name";
}

// A time change refreshes the cache by a check of its own unless a page is open.
TEST_F(CheckScheduleTest, TimeChangeRefreshesTheCache)
{
    CNtpResponder& time = serveTime(1.5);
    int revisions = 0;
    bool pageOpen = true;
    schedule.setTimeChangeHook([&] { ++revisions; });
    schedule.setPageHostOpen([&] { return pageOpen; });
    sync.setLastSample(sampleWithOffset(9.0));

    SendMessageW(mainWindow.hwnd(), WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(revisions, 1);
    EXPECT_EQ(sync.workersStarted(), 0);
    EXPECT_FALSE(sync.lastSample().arrival.isZero());

    pageOpen = false;
    SendMessageW(mainWindow.hwnd(), WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(revisions, 2);
    EXPECT_EQ(sync.workersStarted(), 1);
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return !sync.workerRunning(); }, 5000));
    EXPECT_EQ(time.requests(), 1);
    EXPECT_NEAR(sync.lastSample().offset, -1.5, offsetTolerance(sync.lastSample()));
    EXPECT_TRUE(clock.requests.empty()) << "the refresh only asks";
}

class ConnectivityTestTest : public CSuiteRegistryTest {};

TEST_F(ConnectivityTestTest, LoopbackAnswersTheEcho)
{
    CConnectivityTest test;
    test.setHosts(CConnectivityTest::makeHosts(L"127.0.0.1", L"127.0.0.1", L"127.0.0.1"));
    EXPECT_TRUE(test.isOnline());
    EXPECT_EQ(test.pingCount(), 1) << "the first host that answers is enough";
}

TEST_F(ConnectivityTestTest, SwitchedOffSendsNoEcho)
{
    settings::write(settings::kInternetCheck, 0);
    CConnectivityTest test;
    test.setHosts(CConnectivityTest::makeHosts(L"240.0.0.1", L"240.0.0.2", L"240.0.0.3"));
    EXPECT_TRUE(test.isOnline());
    EXPECT_EQ(test.pingCount(), 0);
}

TEST_F(ConnectivityTestTest, NoHostAnsweringMeansOffline)
{
    CConnectivityTest test;
    // Reserved addresses that no host may answer.
    test.setHosts(CConnectivityTest::makeHosts(L"240.0.0.1", L"240.0.0.2", L"240.0.0.3"));
    EXPECT_FALSE(test.isOnline());
    EXPECT_EQ(test.pingCount(), 3);
}

TEST_F(ConnectivityTestTest, MissingLibraries)
{
    CConnectivityTest test;
    test.setHosts(CConnectivityTest::makeHosts(L"127.0.0.1", L"127.0.0.1", L"127.0.0.1"));
    test.setLibraries(L"wsock32.DLL", L"no-such-icmp.dll");
    EXPECT_FALSE(test.isOnline()) << "without the ICMP library every check fails as offline";
    EXPECT_EQ(test.pingCount(), 3);
    test.setLibraries(L"no-such-sockets.dll", L"ICMP.DLL");
    EXPECT_TRUE(test.isOnline()) << "without sockets the test cannot be made and the check goes on";
}

// The connectivity test sits in front of the time servers.
TEST_F(CheckScheduleTest, OfflineCheckAsksNoTimeServer)
{
    CNtpResponder& time = serveTime(4.0);
    CClockSync fresh(clock); // with the ICMP test it has by default
    fresh.setPort(time.port());
    fresh.connectivityTest().setHosts(CConnectivityTest::makeHosts(L"240.0.0.1", L"240.0.0.2", L"240.0.0.3"));
    EXPECT_FALSE(fresh.checkAndCorrect());
    EXPECT_EQ(time.requests(), 0);
    EXPECT_EQ(fresh.connectivityTest().pingCount(), 3);
    settings::write(settings::kInternetCheck, 0);
    EXPECT_TRUE(fresh.checkAndCorrect());
    EXPECT_EQ(time.requests(), 1);
    EXPECT_EQ(fresh.connectivityTest().pingCount(), 3);
}

} // namespace
