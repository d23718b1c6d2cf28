// The bar against the real shell of a Wine desktop with a taskbar (run under Xvfb, label
// xvfb): docked at the top and at the bottom it takes its room from the shell (another bar
// asking for the same edge is placed beyond it), floating, auto-hidden and closed it holds
// none, and its buttons reach the screen's pixels.

#include "CMessageWindow.h"
#include "CShellAppBar.h"
#include "CSuiteRegistryTest.h"
#include "CTimeZoneBar.h"
#include "ComTypes.h"
#include "UniqueHandle.h"
#include "ZoneBarSettings.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

HWND taskbarWindow() { return FindWindowW(L"Shell_TrayWnd", nullptr); }

RECT rectOf(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// Another application desktop toolbar, asking the shell where it could dock.
class CProbeBar {
public:
    CProbeBar()
    {
        APPBARDATA data{};
        data.cbSize = sizeof data;
        data.hWnd = m_window.hwnd();
        data.uCallbackMessage = WM_APP;
        m_registered = SHAppBarMessage(ABM_NEW, &data) != 0;
    }
    ~CProbeBar()
    {
        APPBARDATA data{};
        data.cbSize = sizeof data;
        data.hWnd = m_window.hwnd();
        SHAppBarMessage(ABM_REMOVE, &data);
    }
    bool registered() const { return m_registered; }
    // The room the shell offers at `edge` out of the whole screen.
    RECT query(UINT edge) const
    {
        APPBARDATA data{};
        data.cbSize = sizeof data;
        data.hWnd = m_window.hwnd();
        data.uEdge = edge;
        data.rc = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SHAppBarMessage(ABM_QUERYPOS, &data);
        return data.rc;
    }

private:
    CMessageWindow m_window;
    bool m_registered = false;
};

class ZoneBarDisplayTest : public CSuiteRegistryTest {
protected:
    void SetUp() override
    {
        CSuiteRegistryTest::SetUp();
        ASSERT_TRUE(CMessageWindow::pumpUntil([] { return taskbarWindow() && IsWindowVisible(taskbarWindow()); }, 15000))
            << "no taskbar: these tests run under Xvfb in a Wine desktop named \"shell\"";
        ole.emplace();
        // Wine's taskbar says it hides itself; the bar's own choice is stored first.
        settings::write(settings::kTimeZoneBarAutoHide, false);
        settings::write(settings::kTimeZoneBarAlwaysOnTop, true);
        bar = std::make_unique<CTimeZoneBar>(shell, nullptr, [this](bool byUser) { closings.push_back(byUser); });
    }
    void TearDown() override
    {
        bar.reset();
        ole.reset();
        CSuiteRegistryTest::TearDown();
    }

    void openAt(int edge)
    {
        AppBarState stored;
        stored.edge = edge;
        stored.floatRect = RECT{200, 300, 700, 300 + 34};
        ASSERT_TRUE(settings::writeBarState(stored));
        ASSERT_TRUE(bar->open(nullptr));
        // The slide, where the desktop drags full windows, and the first paint.
        CMessageWindow::pumpUntil([&] { return !bar->sliding(); }, 5000);
        CMessageWindow::pumpFor(300);
    }

    static int screenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

    // The screen's pixels of a control differ from its face somewhere: it was drawn there.
    static int inkOf(HWND control, COLORREF face)
    {
        const RECT r = rectOf(control);
        CScreenDc screen(GetDC(nullptr));
        int inked = 0;
        for (int y = r.top + 3; y < r.bottom - 3; ++y)
            for (int x = r.left + 3; x < r.right - 3; ++x)
                inked += GetPixel(screen.get(), x, y) != face;
        return inked;
    }

    std::optional<COleInit> ole;
    CShellAppBar shell;
    std::unique_ptr<CTimeZoneBar> bar;
    std::vector<bool> closings;
};

} // namespace

TEST_F(ZoneBarDisplayTest, DockedAtTheTop)
{
    openAt(appbar::kTop);
    ASSERT_TRUE(bar->registered()) << "the shell took the bar";
    const RECT r = rectOf(bar->hwnd());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, screenWidth());
    EXPECT_EQ(r.bottom - r.top, bar->minSize().cy);
    EXPECT_TRUE(IsWindowVisible(bar->hwnd()));
    EXPECT_NE(GetWindowLongW(bar->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    // Another bar at the top is placed below this one.
    CProbeBar probe;
    ASSERT_TRUE(probe.registered());
    EXPECT_EQ(probe.query(ABE_TOP).top, r.bottom);

    // Both buttons are on the screen.
    EXPECT_GT(inkOf(GetDlgItem(bar->hwnd(), IDC_BAR_CLOSE), GetSysColor(COLOR_BTNFACE)), 4);
    EXPECT_GT(inkOf(GetDlgItem(bar->hwnd(), IDC_BAR_PIN), GetSysColor(COLOR_3DHIGHLIGHT)), 20);
}

// At the bottom the bar stands where the shell offers room. (Wine's shell does not count its
// own taskbar as a bar, so there the offer reaches the screen's bottom.)
TEST_F(ZoneBarDisplayTest, DockedAtTheBottom)
{
    RECT offered{};
    {
        CProbeBar before;
        ASSERT_TRUE(before.registered());
        offered = before.query(ABE_BOTTOM);
    }
    openAt(appbar::kBottom);
    const RECT r = rectOf(bar->hwnd());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, screenWidth());
    EXPECT_EQ(r.bottom, offered.bottom);
    EXPECT_EQ(r.bottom - r.top, bar->minSize().cy);

    // The shell places a bar registered after this one beyond it.
    CProbeBar probe;
    ASSERT_TRUE(probe.registered());
    EXPECT_EQ(probe.query(ABE_BOTTOM).bottom, r.top) << "the next bar goes above it";
    EXPECT_EQ(probe.query(ABE_TOP).top, 0) << "the top is free";
}

TEST_F(ZoneBarDisplayTest, FloatingHoldsNoRoom)
{
    openAt(appbar::kFloating);
    const RECT r = rectOf(bar->hwnd());
    EXPECT_TRUE(EqualRect(&r, &bar->state().floatRect));
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 300);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(bar->hwnd(), IDC_BAR_CLOSE)));

    CProbeBar probe;
    ASSERT_TRUE(probe.registered());
    EXPECT_EQ(probe.query(ABE_TOP).top, 0);
}

TEST_F(ZoneBarDisplayTest, ClosingGivesTheRoomBack)
{
    openAt(appbar::kTop);
    CProbeBar probe;
    ASSERT_TRUE(probe.registered());
    ASSERT_GT(probe.query(ABE_TOP).top, 0);
    bar->close(true);
    EXPECT_EQ(closings, std::vector<bool>{true});
    EXPECT_EQ(probe.query(ABE_TOP).top, 0);
}

// Wine's shell accepts every auto-hide bar: the bar leaves the screen but for two border
// widths and gives its room back.
TEST_F(ZoneBarDisplayTest, AutoHidden)
{
    openAt(appbar::kTop);
    SendMessageW(bar->hwnd(), WM_COMMAND, ID_BAR_AUTOHIDE, 0);
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return !bar->sliding(); }, 5000));
    EXPECT_TRUE(bar->state().autoHide);
    EXPECT_EQ(rectOf(bar->hwnd()).bottom, 2 * GetSystemMetrics(SM_CYBORDER));
    CProbeBar probe;
    ASSERT_TRUE(probe.registered());
    EXPECT_EQ(probe.query(ABE_TOP).top, 0);
}
