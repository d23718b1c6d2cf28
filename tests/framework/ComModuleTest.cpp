// The local server's end: it quits only after staying unused for its pause, so that a client's
// trailing release calls are served before COM is torn down.

#include "CComServer.h"

#include <gtest/gtest.h>

namespace {

// Pumps this thread's messages until WM_QUIT arrives or `ms` pass.
bool quitArrivesWithin(DWORD ms)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return true;
            DispatchMessageW(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < ms);
    return false;
}

class ComModuleTest : public ::testing::Test {
protected:
    void TearDown() override { module.revokeClassObjects(); }

    CComModule& module = CComModule::instance();
    const DWORD thread = GetCurrentThreadId();
};

TEST_F(ComModuleTest, QuitsWhenNoClientComes)
{
    module.quitWhenIdle(thread, 200, 60000);
    EXPECT_TRUE(quitArrivesWithin(10000));
}

TEST_F(ComModuleTest, StaysWhileLockedAndQuitsAfterTheIdlePause)
{
    module.quitWhenIdle(thread, 60000, 200);
    module.lock();
    EXPECT_FALSE(quitArrivesWithin(600)) << "a client holds the server";
    module.unlock();
    // The idle pause, not the much longer first-use pause, now decides.
    EXPECT_TRUE(quitArrivesWithin(10000));
}

TEST_F(ComModuleTest, AClientArrivingDuringTheIdlePauseKeepsTheServer)
{
    module.quitWhenIdle(thread, 60000, 300);
    module.lock();
    module.unlock();
    module.lock();
    EXPECT_FALSE(quitArrivesWithin(900));
    module.unlock();
    EXPECT_TRUE(quitArrivesWithin(10000));
}

TEST_F(ComModuleTest, RevokingEndsTheWatchWithoutAQuit)
{
    module.quitWhenIdle(thread, 300, 300);
    module.revokeClassObjects();
    EXPECT_FALSE(quitArrivesWithin(900));
}

} // namespace
