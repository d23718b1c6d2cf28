// The main window and the page host, driven by messages as the check, the pages and the
// system drive them.

#include "BalloonRequest.h"
#include "CMainWnd.h"
#include "CMessageWindow.h"
#include "CPageHost.h"
#include "CRegistryKey.h"
#include "ChronelAppFixture.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace {

BOOL CALLBACK countPages(HWND hwnd, LPARAM count)
{
    wchar_t title[64] = {};
    GetWindowTextW(hwnd, title, 64);
    if (wcscmp(title, L"Orvel.Cofferix") == 0)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

class PageHostTest : public ChronelAppFixture {
protected:
    void SetUp() override
    {
        ChronelAppFixture::SetUp();
        ASSERT_TRUE(app->createMainWindow());
        main = app->mainWnd();
        main->openPageHost();
        ASSERT_NE(main->pageHost(), nullptr);
        page = main->pageHostWindow();
        ASSERT_NE(page, nullptr);
        CMessageWindow::pumpFor(50);
    }

    const PageDisplay& shown() { return app->automationObject()->display(); }

    // The page host receives a sample as the worker hands it over.
    void deliverSample(double offset)
    {
        SntpSample sample;
        sample.stratum = 2;
        sample.originate = sample.receive = sample.transmit = NtpTimestamp::now();
        sample.arrival = NtpTimestamp::now();
        sample.offset = offset;
        app->sync().setLastSample(sample);
        SendMessageW(page, WM_SYNC_RESULT, 0, reinterpret_cast<LPARAM>(app->sync().lastSamplePointer()));
    }

    CMainWnd* main = nullptr;
    HWND page = nullptr;
};

TEST_F(PageHostTest, WindowAndBrowser)
{
    wchar_t title[64] = {};
    GetWindowTextW(page, title, 64);
    EXPECT_STREQ(title, L"Orvel.Cofferix");
    RECT r;
    GetWindowRect(page, &r);
    EXPECT_EQ(r.right - r.left, 700);
    EXPECT_EQ(r.bottom - r.top, 450);
    EXPECT_TRUE(IsWindowVisible(page));
    HWND browser = GetDlgItem(page, IDC_BROWSER);
    ASSERT_NE(browser, nullptr);
    RECT client, area;
    GetClientRect(page, &client);
    GetClientRect(browser, &area);
    EXPECT_EQ(area.right, client.right);
    EXPECT_EQ(area.bottom, client.bottom);
    EXPECT_EQ(app->automationObject()->hostWindow(), page);

    // window.external is the application's automation object.
    CBrowserSite* site = main->pageHost()->site();
    ASSERT_NE(site, nullptr);
    IDispatch* external = nullptr;
    ASSERT_EQ(site->GetExternal(&external), S_OK);
    EXPECT_EQ(external, static_cast<IDispatch*>(app->automationObject()));
    external->Release();
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    ASSERT_EQ(site->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));
    EXPECT_EQ(site->ShowContextMenu(0, nullptr, nullptr, nullptr), S_OK) << "no context menu";
    EXPECT_EQ(site->TranslateAccelerator(nullptr, nullptr, 0), S_FALSE);
}

TEST_F(PageHostTest, OpeningTwiceKeepsOneWindow)
{
    main->openPageHost();
    EXPECT_EQ(main->pageHostWindow(), page);
    int pages = 0;
    EnumThreadWindows(GetCurrentThreadId(), &countPages, reinterpret_cast<LPARAM>(&pages));
    EXPECT_EQ(pages, 1);

    // Closing forgets it; the next open makes a new one.
    DestroyWindow(page);
    EXPECT_EQ(main->pageHostWindow(), nullptr);
    EXPECT_EQ(app->automationObject()->hostWindow(), nullptr);
    main->openPageHost();
    EXPECT_NE(main->pageHostWindow(), nullptr);
}

// An offset of exactly one second is no "fast"; anything above is.
TEST_F(PageHostTest, SampleStatus)
{
    const std::pair<double, const wchar_t*> cases[] = {
        {1.0, L"Your clock is 1.0s "},
        {1.1, L"Your clock is 1.1s fast"},
        {-1.1, L"Your clock is 1.1s slow"},
        {0.3, L"Your clock is accurate "},
        {-3725.4, L"Your clock is 1hr, 2mins, 5.4s slow"},
    };
    for (const auto& [offset, status] : cases) {
        deliverSample(offset);
        EXPECT_EQ(shown().status, status) << offset;
        EXPECT_TRUE(shown().hasResult);
        EXPECT_EQ(shown().sample.offset, offset);
    }
    // The refresh tick shows the server's time: this clock less the offset.
    deliverSample(-7200.0);
    SendMessageW(page, WM_TIMER, IDT_PAGE_REFRESH, 0);
    EXPECT_FALSE(shown().localTime.empty());
    EXPECT_FALSE(shown().serverTime.empty());
    EXPECT_NE(shown().serverTime, shown().localTime) << "two hours apart";
    deliverSample(0.2);
    SendMessageW(page, WM_TIMER, IDT_PAGE_REFRESH, 0);
    LONG same = 9;
    app->automationObject()->CompareClocks(&same);
    if (shown().serverTime == shown().localTime) { // not across a second's boundary
        EXPECT_EQ(same, 0);
    }
}

TEST_F(PageHostTest, FailureProgressAndRefusal)
{
    const wchar_t* failure = L"Time updates require an Internet connection.";
    SendMessageW(page, WM_SYNC_FAILED, 0, reinterpret_cast<LPARAM>(failure));
    EXPECT_EQ(shown().serverTime, L"Unknown");
    EXPECT_EQ(shown().serverDate, L"(Unable to connect to Internet)");
    EXPECT_EQ(shown().status, failure);
    LONG compare = 0;
    app->automationObject()->CompareClocks(&compare);
    EXPECT_EQ(compare, 1);

    SendMessageW(page, WM_SYNC_PROGRESS, 0, reinterpret_cast<LPARAM>(L"129.6.15.28"));
    EXPECT_EQ(shown().status, L"Regular server failed - attempting to contact time server '129.6.15.28'");
    SendMessageW(page, WM_CLOCK_SET_FAILED, 0, reinterpret_cast<LPARAM>(L"no right"));
    EXPECT_EQ(shown().status, L"no right");
}

// A correction asked for through operation 1: the clock is set, the system reports the time
// change, and the page then shows the clock as accurate with the sample's offset zeroed.
// After a failed check, or a change of the clock by someone else, the old sample is no
// server time: the refresh ticks leave "Unknown" and "Reading..." standing.
TEST_F(PageHostTest, TheRefreshDoesNotBringAStaleServerTimeBack)
{
    const wchar_t* failure = L"Time updates require an Internet connection.";
    deliverSample(2.0);
    SendMessageW(page, WM_TIMER, IDT_PAGE_REFRESH, 0);
    EXPECT_NE(shown().serverTime, L"Unknown");
    SendMessageW(page, WM_SYNC_FAILED, 0, reinterpret_cast<LPARAM>(failure));
    SendMessageW(page, WM_TIMER, IDT_PAGE_REFRESH, 0);
    EXPECT_EQ(shown().serverTime, L"Unknown");
    EXPECT_EQ(shown().serverDate, L"(Unable to connect to Internet)");

    deliverSample(2.0);
    SendMessageW(page, WM_TIMECHANGE, 0, 0);
    SendMessageW(page, WM_TIMER, IDT_PAGE_REFRESH, 0);
    EXPECT_EQ(shown().serverTime, L"Reading...");
    EXPECT_EQ(shown().serverDate, L"");
    // The check the time change started fails here; let it end before the page goes.
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return !app->sync().workerRunning(); }, 10000));

    // A correction keeps the sample: the server's time comes back on the next tick.
    deliverSample(0.4);
    SendMessageW(page, WM_CORRECT_NOW, 0, 0);
    SendMessageW(page, WM_TIMER, IDT_PAGE_REFRESH, 0);
    EXPECT_EQ(shown().serverTime, shown().localTime);
}

TEST_F(PageHostTest, CorrectNowEndsWithTheOffsetZeroed)
{
    deliverSample(-5.0);
    EXPECT_EQ(shown().status, L"Your clock is 5.0s slow");
    HWND target = page;
    clock.onSet = [target] { PostMessageW(target, WM_TIMECHANGE, 0, 0); };

    EXPECT_EQ(app->automationObject()->CorrectNow(), S_OK);
    ASSERT_EQ(clock.requests.size(), 1u);
    EXPECT_NEAR(clock.correctionOf(0), 5.0, 0.05);
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return shown().status == L"Your clock is accurate "; }, 3000))
        << "status: " << shown().status;
    EXPECT_EQ(app->sync().lastSample().offset, 0.0);
    EXPECT_FALSE(shown().correcting);
    SendMessageW(page, WM_TIMER, IDT_PAGE_REFRESH, 0);
    EXPECT_EQ(shown().serverDate, shown().localDate);
}

// A time change that is not ours starts a fresh check with the page host as notify window.
TEST_F(PageHostTest, ForeignTimeChangeStartsAFreshCheck)
{
    deliverSample(2.0);
    const int workers = app->sync().workersStarted();
    SendMessageW(page, WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(shown().serverTime, L"Reading...");
    EXPECT_EQ(shown().status, L"");
    EXPECT_EQ(app->sync().workersStarted(), workers + 1);
    EXPECT_EQ(app->sync().notifyWindow(), page);
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return !app->sync().workerRunning(); }, 10000));
    CMessageWindow::pumpFor(50);
    EXPECT_EQ(shown().serverTime, L"Unknown") << "no server answers here";
}

TEST_F(PageHostTest, MainWindowMessages)
{
    HWND mainWindow = main->hwnd();
    wchar_t title[32] = {};
    GetWindowTextW(mainWindow, title, 32);
    EXPECT_STREQ(title, L"MWOrvelIDE");
    EXPECT_FALSE(IsWindowVisible(mainWindow));
    EXPECT_EQ(main->reminderInterval(), 1000u);
    SendMessageW(mainWindow, WM_TIMER, IDT_REMINDERS, 0);
    EXPECT_EQ(main->reminderInterval(), 60000u) << "no reminder due: once a minute";

    // The schedule was rebuilt when the window was made.
    CMessageWindow::pumpFor(50);
    DWORD next = 0;
    EXPECT_TRUE(CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readDword(settings::kNextUpdate.name, next));
    EXPECT_EQ(main->schedule().scheduleInterval(), 60000u);

    SendMessageW(mainWindow, WM_PAGE_HOST_TOPMOST, 1, 0);
    EXPECT_TRUE(GetWindowLongW(page, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SendMessageW(mainWindow, WM_PAGE_HOST_TOPMOST, 0, 0);
    EXPECT_FALSE(GetWindowLongW(page, GWL_EXSTYLE) & WS_EX_TOPMOST);

    // "OrvelIDEDispSettings" and the tray menu's "Settings..." bring the page back after it
    // was closed.
    DestroyWindow(page);
    SendMessageW(mainWindow, RegisterWindowMessageW(L"OrvelIDEDispSettings"), 0, 0);
    CMessageWindow::pumpFor(50);
    EXPECT_NE(main->pageHostWindow(), nullptr);
    DestroyWindow(main->pageHostWindow());
    SendMessageW(mainWindow, WM_COMMAND, ID_TRAY_SETTINGS, 0);
    EXPECT_NE(main->pageHostWindow(), nullptr);

    // A balloon request from the vault is drawn beside the tray icon, owned by the main window.
    BalloonRequest request{L"Lockbox opened", L"Drive E: is ready", 0, 0, 0, 3000, nullptr};
    EXPECT_EQ(SendMessageW(mainWindow, WM_BALLOON_REQUEST, kBalloonFailure, reinterpret_cast<LPARAM>(&request)), 1);
    EXPECT_EQ(request.owner, mainWindow);
    EXPECT_EQ(request.iconId, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(IDI_HAND)));
    EXPECT_NE(FindWindowW(L"OrvelBalloonDS", nullptr), nullptr);
    BalloonRequest empty{nullptr, nullptr, 0, 0, 0, 0, nullptr};
    EXPECT_EQ(SendMessageW(mainWindow, WM_BALLOON_REQUEST, 0, reinterpret_cast<LPARAM>(&empty)), 0);
    EXPECT_EQ(SendMessageW(mainWindow, WM_BALLOON_REQUEST, 0, 0), 0);

    // The page's TaskBarIcon switch goes through the main window's icon.
    EXPECT_EQ(app->automationObject()->SetTaskBarIcon(0), S_OK);
    EXPECT_FALSE(main->trayIcon().isAdded());
    DWORD taskBarIcon = 1;
    CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readDword(settings::kTaskBarIcon.name, taskBarIcon);
    EXPECT_EQ(taskBarIcon, 0u);

    // Exit: the page and the main window go, and the loop is told to end.
    PostMessageW(mainWindow, WM_APP_EXIT, 0, 0);
    bool quit = false;
    MSG msg;
    const DWORD start = GetTickCount();
    while (!quit && GetTickCount() - start < 2000) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                quit = true;
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(IsWindow(mainWindow));
    EXPECT_EQ(main->pageHostWindow(), nullptr);
}

} // namespace
