// Balloon windows: layout around the anchor, classes and styles from the options, the
// display-time close and the close button. The window's rectangle and region are read back
// from the system.

#include "CBalloonWnd.h"
#include "CMessageWindow.h"
#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

namespace {

RECT workAreaNear(POINT point)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

RECT primaryWorkArea() { return workAreaNear(POINT{0, 0}); }

POINT pointIn(const RECT& area, double fx, double fy)
{
    return POINT{area.left + static_cast<LONG>((area.right - area.left) * fx),
                 area.top + static_cast<LONG>((area.bottom - area.top) * fy)};
}

const wchar_t kLongText[] = L"The \"Documents\" lockbox was successfully opened, and its drive letter is ready.";

class BalloonWndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Wine keeps changed system parameters for the whole prefix: put them back afterwards.
        SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &m_savedAnimation, 0);
        SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &m_savedFade, 0);
        // Most cases look at a balloon that is simply shown.
        setTooltipFade(FALSE, FALSE);
    }

    void TearDown() override { setTooltipFade(m_savedAnimation, m_savedFade); }

    static void setTooltipFade(BOOL animation, BOOL fade)
    {
        SystemParametersInfoW(SPI_SETTOOLTIPANIMATION, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(animation)), 0);
        SystemParametersInfoW(SPI_SETTOOLTIPFADE, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(fade)), 0);
    }

    std::unique_ptr<CBalloonWnd> showBalloon(POINT anchor, DWORD options = CBalloonWnd::kCloseButton,
                                             UINT displayTime = 0, const wchar_t* text = kLongText)
    {
        auto balloon =
            std::make_unique<CBalloonWnd>(L"Orvel.Cofferix", text, IDI_INFORMATION, options, displayTime);
        EXPECT_TRUE(balloon->show(owner.hwnd(), anchor));
        return balloon;
    }

    static RECT windowRect(const CBalloonWnd& balloon)
    {
        RECT rect{};
        GetWindowRect(balloon.hwnd(), &rect);
        return rect;
    }

    // The window's region as the system holds it (window coordinates).
    static CGdiObject regionOf(const CBalloonWnd& balloon)
    {
        CGdiObject region(CreateRectRgn(0, 0, 0, 0));
        EXPECT_NE(GetWindowRgn(balloon.hwnd(), static_cast<HRGN>(region.get())), ERROR);
        return region;
    }

    static bool inRegion(const CGdiObject& region, int x, int y)
    {
        return PtInRegion(static_cast<HRGN>(region.get()), x, y) != FALSE;
    }

    CMessageWindow owner;

private:
    BOOL m_savedAnimation = TRUE;
    BOOL m_savedFade = TRUE;
};

struct QuadrantCase {
    const char* label;
    double fx;
    double fy;
    bool below; // upper half: the balloon hangs below the anchor
    bool right;
};

// Test names and failure messages show the case's label.
void PrintTo(const QuadrantCase& c, std::ostream* os) { *os << c.label; }

class BalloonQuadrantTest : public BalloonWndTest, public ::testing::WithParamInterface<QuadrantCase> {};

TEST_P(BalloonQuadrantTest, TailTipLiesOnTheAnchorOnTheAnchorsSide)
{
    const QuadrantCase& c = GetParam();
    const RECT area = primaryWorkArea();
    const POINT anchor = pointIn(area, c.fx, c.fy);
    auto balloon = showBalloon(anchor);
    const RECT rect = windowRect(*balloon);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    ASSERT_GT(width, 100);
    ASSERT_GT(height, 40);

    // The tail's tip: x = 3c + 20 (right half) or c (left half) with c = (width - 20) / 4;
    // y = 1 below the anchor, 2 pixels above the bottom edge above it.
    const int quarter = (width - 20) / 4;
    const int tipX = c.right ? 3 * quarter + 20 : quarter;
    const int tipY = c.below ? 1 : height - 2;
    EXPECT_EQ(rect.left + tipX, anchor.x);
    EXPECT_EQ(rect.top + tipY, anchor.y);

    const CGdiObject region = regionOf(*balloon);
    // The body leaves the 20 tail rows free on the anchor's side and fills the other side.
    const int freeRow = c.below ? 10 : height - 10;
    const int bodyRow = c.below ? 20 + 12 : height - 20 - 12;
    EXPECT_FALSE(inRegion(region, width / 2, freeRow));
    EXPECT_TRUE(inRegion(region, width / 2, bodyRow));
    EXPECT_TRUE(inRegion(region, width / 2, c.below ? height - 12 : 12));
    // Near the tip the tail is a few pixels wide on the side of its right angle's base.
    const int nearTipRow = c.below ? 5 : height - 6;
    const int inward = c.right ? -1 : 1;
    EXPECT_TRUE(inRegion(region, tipX + 2 * inward, nearTipRow));
    EXPECT_FALSE(inRegion(region, tipX + 12 * inward, nearTipRow));
    EXPECT_FALSE(inRegion(region, tipX - 3 * inward, nearTipRow));
}

INSTANTIATE_TEST_SUITE_P(Quadrants, BalloonQuadrantTest,
                         ::testing::Values(QuadrantCase{"upper_left", 0.25, 0.25, true, false},
                                           QuadrantCase{"upper_right", 0.75, 0.25, true, true},
                                           QuadrantCase{"lower_left", 0.25, 0.75, false, false},
                                           QuadrantCase{"lower_right", 0.75, 0.75, false, true}),
                         [](const ::testing::TestParamInfo<QuadrantCase>& info) {
                             return std::string(info.param.label);
                         });

TEST_F(BalloonWndTest, ShiftedSidewaysIntoTheWorkAreaTheTailStillPointsAtTheAnchor)
{
    const RECT area = primaryWorkArea();
    // Lower right, 40 pixels from the edge: a balloon of this width has to move left, and its
    // tail moves right by as much.
    const POINT anchor{area.right - 40, area.bottom - 100};
    auto balloon = showBalloon(anchor);
    const RECT rect = windowRect(*balloon);
    const int height = rect.bottom - rect.top;
    ASSERT_GT(rect.right - rect.left, 200) << "the case needs a balloon wider than 4 x 40 pixels";
    EXPECT_EQ(rect.right, area.right);
    const CGdiObject region = regionOf(*balloon);
    const int tipX = anchor.x - rect.left;
    EXPECT_TRUE(inRegion(region, tipX - 2, height - 6));
    EXPECT_FALSE(inRegion(region, tipX + 3, height - 6));
    EXPECT_EQ(rect.top + height - 2, anchor.y);
}

TEST_F(BalloonWndTest, AtTheEdgesTheTailStaysEightPixelsInside)
{
    const RECT area = primaryWorkArea();
    struct EdgeCase {
        POINT anchor;
        bool right;
    };
    for (const EdgeCase& c : {EdgeCase{{area.right - 2, area.bottom - 100}, true},
                              EdgeCase{{area.left + 2, area.top + 100}, false}}) {
        auto balloon = showBalloon(c.anchor);
        const RECT rect = windowRect(*balloon);
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        EXPECT_GE(rect.left, area.left);
        EXPECT_LE(rect.right, area.right);
        const CGdiObject region = regionOf(*balloon);
        // Half-way along the tail, which the clamp has narrowed.
        const int row = c.right ? height - 12 : 11;
        const int tipX = c.right ? width - 8 : 8;
        EXPECT_TRUE(inRegion(region, c.right ? tipX - 2 : tipX + 2, row)) << "right edge: " << c.right;
        EXPECT_FALSE(inRegion(region, c.right ? tipX + 1 : tipX - 1, row)) << "right edge: " << c.right;
    }
}

TEST_F(BalloonWndTest, OnlyTheTailMayReachPastTheWorkArea)
{
    const RECT area = primaryWorkArea();
    // An anchor 30 pixels below the work area (inside a tall taskbar): the balloon rises until
    // only its 20 tail pixels pass the work area's bottom.
    auto deep = showBalloon(POINT{area.right - 300, area.bottom + 30});
    EXPECT_EQ(windowRect(*deep).bottom, area.bottom + 20);
    // 10 pixels below: the tip reaches the anchor.
    auto shallow = showBalloon(POINT{area.right - 300, area.bottom + 10});
    EXPECT_EQ(windowRect(*shallow).bottom, area.bottom + 10 + 2);
    // A taskbar at the top: the balloon hangs below, its tail at most 20 pixels above the area.
    auto high = showBalloon(POINT{area.left + 300, area.top - 30});
    EXPECT_EQ(windowRect(*high).top, area.top - 20);
}

struct OptionsCase {
    const char* label;
    DWORD options;
    const wchar_t* className;
    UINT classStyle;
    bool topmost;
};

void PrintTo(const OptionsCase& c, std::ostream* os) { *os << c.label; }

class BalloonOptionsTest : public BalloonWndTest, public ::testing::WithParamInterface<OptionsCase> {};

TEST_P(BalloonOptionsTest, ClassAndStylesFollowTheOptions)
{
    const OptionsCase& c = GetParam();
    auto balloon = showBalloon(pointIn(primaryWorkArea(), 0.5, 0.8), c.options);
    HWND window = balloon->hwnd();
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    EXPECT_STREQ(className, c.className);
    EXPECT_EQ(static_cast<UINT>(GetClassLongW(window, GCL_STYLE)), c.classStyle);
    EXPECT_EQ(GetClassLongPtrW(window, GCLP_HCURSOR), reinterpret_cast<LONG_PTR>(LoadCursor(nullptr, IDC_ARROW)));
    EXPECT_EQ(GetClassLongPtrW(window, GCLP_HBRBACKGROUND), static_cast<LONG_PTR>(COLOR_WINDOW + 1));

    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_EQ((exStyle & WS_EX_TOPMOST) != 0, c.topmost);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_POPUP);
    EXPECT_EQ(GetWindow(window, GW_OWNER), owner.hwnd());
    EXPECT_TRUE(IsWindowVisible(window));

    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 255);
    EXPECT_TRUE(flags & LWA_ALPHA);
}

INSTANTIATE_TEST_SUITE_P(
    Options, BalloonOptionsTest,
    ::testing::Values(OptionsCase{"shadow", 0, L"OrvelBalloonDS", CS_DROPSHADOW | CS_SAVEBITS | CS_DBLCLKS, false},
                      OptionsCase{"topmost", CBalloonWnd::kTopmost, L"OrvelBalloonDS",
                                  CS_DROPSHADOW | CS_SAVEBITS | CS_DBLCLKS, true},
                      OptionsCase{"no_shadow", CBalloonWnd::kNoShadow | CBalloonWnd::kTopmost, L"OrvelBalloonNDS",
                                  CS_SAVEBITS | CS_DBLCLKS, true}),
    [](const ::testing::TestParamInfo<OptionsCase>& info) { return std::string(info.param.label); });

TEST_F(BalloonWndTest, FadesInOnlyWhenTooltipsAnimateByFading)
{
    struct FadeCase {
        BOOL animation;
        BOOL fade;
        bool fades;
    };
    for (const FadeCase& c : {FadeCase{TRUE, TRUE, true}, FadeCase{TRUE, FALSE, false}, FadeCase{FALSE, TRUE, false}}) {
        setTooltipFade(c.animation, c.fade);
        auto balloon = showBalloon(pointIn(primaryWorkArea(), 0.5, 0.8));
        EXPECT_EQ((balloon->options() & CBalloonWnd::kNoFade) == 0, c.fades)
            << "animation " << c.animation << ", fade " << c.fade;
        EXPECT_TRUE(IsWindowVisible(balloon->hwnd()));
    }
}

TEST_F(BalloonWndTest, DisplayTimeClosesTheBalloonAndZeroKeepsIt)
{
    auto kept = showBalloon(pointIn(primaryWorkArea(), 0.3, 0.8), CBalloonWnd::kCloseButton, 0);
    auto timed = showBalloon(pointIn(primaryWorkArea(), 0.7, 0.8), CBalloonWnd::kCloseButton, 150);
    EXPECT_TRUE(CMessageWindow::pumpUntil([&] { return !timed->exists(); }, 5000));
    EXPECT_TRUE(kept->exists());
}

TEST_F(BalloonWndTest, SelfDeletingBalloonsGoWithTheirWindows)
{
    const int before = CBalloonWnd::liveCount();
    HWND first = CBalloonWnd::popup(owner.hwnd(), pointIn(primaryWorkArea(), 0.3, 0.8), L"One", L"first",
                                    IDI_INFORMATION, 0, 100);
    HWND second = CBalloonWnd::popup(owner.hwnd(), pointIn(primaryWorkArea(), 0.7, 0.8), L"Two", L"second",
                                     IDI_INFORMATION, 0, 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(CBalloonWnd::liveCount(), before + 2);
    EXPECT_TRUE(CBalloonWnd::fromHandle(first) != nullptr);
    EXPECT_TRUE(CMessageWindow::pumpUntil([&] { return !IsWindow(first); }, 5000));
    EXPECT_EQ(CBalloonWnd::liveCount(), before + 1);
    DestroyWindow(second);
    EXPECT_EQ(CBalloonWnd::liveCount(), before);
}

// Mouse messages at a point in window coordinates (the window has no frame, so these are
// also client coordinates).
void click(HWND window, POINT down, POINT up)
{
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(up.x, up.y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
}

POINT centreOf(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST_F(BalloonWndTest, CloseButtonClosesOnlyWhenPressedAndReleasedInside)
{
    auto balloon = showBalloon(pointIn(primaryWorkArea(), 0.5, 0.8));
    const RECT button = balloon->closeButtonRect();
    EXPECT_EQ(button.right - button.left, 16);
    EXPECT_EQ(button.bottom - button.top, 16);
    // Top right of the body.
    const BalloonGeometry& g = balloon->geometry();
    EXPECT_GT(button.left, g.window.cx - 40);
    EXPECT_LT(button.top, g.body.top + 16);

    // Pressed inside, released outside: stays.
    click(balloon->hwnd(), centreOf(button), POINT{button.left - 30, button.bottom + 10});
    EXPECT_TRUE(balloon->exists());
    // A click on the body with no url does nothing.
    click(balloon->hwnd(), centreOf(balloon->iconRect()), centreOf(balloon->iconRect()));
    EXPECT_TRUE(balloon->exists());
    // Pressed and released inside: closed.
    click(balloon->hwnd(), centreOf(button), centreOf(button));
    EXPECT_FALSE(balloon->exists());
}

TEST_F(BalloonWndTest, WithoutTheCloseButtonOptionTheCornerIsBody)
{
    auto balloon = showBalloon(pointIn(primaryWorkArea(), 0.5, 0.8), 0);
    const BalloonGeometry& g = balloon->geometry();
    const POINT corner{g.window.cx - 16, g.body.top + 16};
    click(balloon->hwnd(), corner, corner);
    EXPECT_TRUE(balloon->exists());
}

} // namespace
