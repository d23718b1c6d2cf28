#include "CDisplayTest.h"

#include "CMessageWindow.h"
#include "CTrayIcon.h"
#include "CTrayTestHost.h"
#include "UniqueHandle.h"

#include <shellapi.h>

void CDisplayTest::SetUp()
{
    CSuiteRegistryTest::SetUp();
    // The desktop process starts with the first program of the prefix and draws its taskbar
    // shortly after.
    ASSERT_TRUE(CMessageWindow::pumpUntil([] { return taskbar() != nullptr && IsWindowVisible(taskbar()); }, 15000))
        << "no taskbar: these tests run under Xvfb in a Wine desktop named \"shell\"";
}

void CDisplayTest::TearDown()
{
    closeAllBalloons();
    CSuiteRegistryTest::TearDown();
}

bool CDisplayTest::shellHasIcon(HWND window, UINT id)
{
    NOTIFYICONDATAW data{};
    data.cbSize = CTrayIcon::kNotifyDataSize;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = 0;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

CPixelGrid CDisplayTest::screenPixels(const RECT& area)
{
    CScreenDc screen(GetDC(nullptr));
    return CPixelGrid::capture(screen.get(), area);
}

bool CDisplayTest::waitFor(const std::function<bool()>& done, DWORD timeoutMs)
{
    return CMessageWindow::pumpUntil(
        [&] {
            if (HWND bar = taskbar())
                RedrawWindow(bar, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            return done();
        },
        timeoutMs);
}
