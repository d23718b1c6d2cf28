// The locator and the balloons against Wine's real notification area and screen: the probe
// is found where the icon is drawn, found positions are reused within each mode's age, and a
// balloon request shows the kind's icon at that position.

#include "CBalloonWnd.h"
#include "CDisplayTest.h"
#include "CTrayTestHost.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

// A clock the test moves by hand (milliseconds).
struct ManualClock {
    DWORD now = 1000000;
    CTrayIconLocator::Clock function()
    {
        return [this] { return now; };
    }
};

class LocatorDisplayTest : public CDisplayTest {
protected:
    void SetUp() override
    {
        CDisplayTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(host.create());
        ASSERT_TRUE(host.tray.isAdded());
    }

    RECT taskbarRect() const
    {
        RECT rect{};
        GetWindowRect(taskbar(), &rect);
        return rect;
    }

    bool nearBlackAt(POINT point) const
    {
        const CPixelGrid pixels = screenPixels(RECT{point.x, point.y, point.x + 1, point.y + 1});
        return pixels.isNearBlack(point.x, point.y);
    }

    ManualClock clock;
    CTrayTestHost host{L"Orvel.Cofferix", clock.function()};
};

TEST_F(LocatorDisplayTest, FindsTheProbeWhereTheIconIsDrawn)
{
    const auto anchor = host.locator.locate();
    ASSERT_TRUE(anchor.has_value());
    EXPECT_EQ(host.locator.searches(), 1);

    // Wine's taskbar has no separate notification window: the search covers the taskbar.
    const RECT bar = taskbarRect();
    EXPECT_TRUE(EqualRect(&host.locator.trayRect(), &bar));
    EXPECT_TRUE(PtInRect(&bar, *anchor));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(&version);
    const POINT fallback = CTrayIconLocator::fallbackAnchor(bar, version);
    EXPECT_FALSE(anchor->x == fallback.x && anchor->y == fallback.y) << "the probe was not found";

    // The probe is on the screen at the anchor until the icon's own image comes back.
    EXPECT_TRUE(nearBlackAt(*anchor));
    ASSERT_TRUE(host.tray.restoreImage());
    EXPECT_TRUE(waitFor([&] { return !nearBlackAt(*anchor); }));
}

struct AgeCase {
    const char* label;
    int mode;
    DWORD maxAgeSeconds;
};

void PrintTo(const AgeCase& c, std::ostream* os) { *os << c.label; }

class LocatorAgeDisplayTest : public LocatorDisplayTest, public ::testing::WithParamInterface<AgeCase> {};

TEST_P(LocatorAgeDisplayTest, FoundPositionIsReusedUntilItIsAsOldAsTheModeAllows)
{
    const AgeCase& c = GetParam();
    const auto first = host.locator.locate(c.mode);
    host.tray.restoreImage();
    ASSERT_TRUE(first.has_value());
    ASSERT_EQ(host.locator.searches(), 1);

    clock.now += c.maxAgeSeconds * 1000 - 1;
    const auto cached = host.locator.locate(c.mode);
    ASSERT_TRUE(cached.has_value());
    EXPECT_EQ(host.locator.searches(), 1);
    EXPECT_EQ(cached->x, first->x);
    EXPECT_EQ(cached->y, first->y);

    clock.now += 1;
    const auto searched = host.locator.locate(c.mode);
    host.tray.restoreImage();
    ASSERT_TRUE(searched.has_value());
    EXPECT_EQ(host.locator.searches(), 2);
    EXPECT_EQ(searched->x, first->x);
    EXPECT_EQ(searched->y, first->y);
}

INSTANTIATE_TEST_SUITE_P(Modes, LocatorAgeDisplayTest,
                         ::testing::Values(AgeCase{"mode1", 1, 60}, AgeCase{"mode2", 2, 30}, AgeCase{"mode3", 3, 10},
                                           AgeCase{"default", 0, 10}),
                         [](const ::testing::TestParamInfo<AgeCase>& info) { return std::string(info.param.label); });

TEST_F(LocatorDisplayTest, ASecondBalloonWithinTenSecondsUsesTheCachedAnchor)
{
    BalloonRequest first{L"Orvel.Cofferix", L"The \"Work\" lockbox was successfully opened.", 0, 0, 0, 5000, nullptr};
    ASSERT_EQ(host.requestBalloon(kBalloonSuccess, first), 1);
    EXPECT_EQ(host.locator.searches(), 1);
    const RECT bar = taskbarRect();
    EXPECT_TRUE(PtInRect(&bar, POINT{first.x, first.y}));

    clock.now += 9000;
    BalloonRequest second{L"Orvel.Cofferix", L"The \"Work\" lockbox was successfully closed.", 0, 0, 0, 5000, nullptr};
    ASSERT_EQ(host.requestBalloon(kBalloonSuccess, second), 1);
    EXPECT_EQ(host.locator.searches(), 1);
    EXPECT_EQ(second.x, first.x);
    EXPECT_EQ(second.y, first.y);
    EXPECT_EQ(balloonWindowsOf(host.hwnd()).size(), 2u);

    // The real icon is back after each request.
    EXPECT_TRUE(waitFor([&] { return !nearBlackAt(POINT{first.x, first.y}); }));

    clock.now += 1000;
    BalloonRequest third{L"Orvel.Cofferix", L"The vault was closed.", 0, 0, 0, 5000, nullptr};
    ASSERT_EQ(host.requestBalloon(kBalloonSuccess, third), 1);
    EXPECT_EQ(host.locator.searches(), 2);
    EXPECT_EQ(third.x, first.x);
    EXPECT_EQ(third.y, first.y);
}

struct IconCase {
    const char* label;
    WPARAM kind;
    bool red;  // the error icon's red disc
    bool blue; // the information icon's blue disc
};

void PrintTo(const IconCase& c, std::ostream* os) { *os << c.label; }

class BalloonIconDisplayTest : public LocatorDisplayTest, public ::testing::WithParamInterface<IconCase> {};

// Pixels of a colour family in `pixels`.
int countPixels(const CPixelGrid& pixels, bool (*matches)(int r, int g, int b))
{
    int count = 0;
    const RECT& area = pixels.area();
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const DWORD p = pixels.at(x, y);
            if (matches(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                        static_cast<int>(p & 0xFF)))
                ++count;
        }
    }
    return count;
}

bool isRed(int r, int g, int b) { return r > 150 && g < 100 && b < 100; }
bool isBlue(int r, int g, int b) { return b > 150 && r < 100; }

TEST_P(BalloonIconDisplayTest, KindShowsItsIconOnTheScreen)
{
    const IconCase& c = GetParam();
    BalloonRequest request{L"Orvel.Cofferix", L"The \"Work\" lockbox could not be opened.", 0, 0, 0, 0, nullptr};
    ASSERT_EQ(host.requestBalloon(c.kind, request), 1);
    const auto windows = balloonWindowsOf(host.hwnd());
    ASSERT_EQ(windows.size(), 1u);
    CBalloonWnd* balloon = balloonObject(windows[0]);
    ASSERT_NE(balloon, nullptr);

    RECT window{};
    GetWindowRect(balloon->hwnd(), &window);
    RECT icon = balloon->iconRect();
    OffsetRect(&icon, window.left, window.top);
    const int wanted = (icon.right - icon.left) * (icon.bottom - icon.top) / 10;
    int red = 0;
    int blue = 0;
    // The balloon paints on its own thread's next turn and Wine copies it to the screen soon after.
    waitFor([&] {
        UpdateWindow(balloon->hwnd());
        const CPixelGrid pixels = screenPixels(icon);
        red = countPixels(pixels, isRed);
        blue = countPixels(pixels, isBlue);
        return (c.red ? red >= wanted : true) && (c.blue ? blue >= wanted : true);
    });
    EXPECT_EQ(red >= wanted, c.red) << red << " red pixels";
    EXPECT_EQ(blue >= wanted, c.blue) << blue << " blue pixels";
}

INSTANTIATE_TEST_SUITE_P(Kinds, BalloonIconDisplayTest,
                         ::testing::Values(IconCase{"failure_error_icon", kBalloonFailure, true, false},
                                           IconCase{"success_information_icon", kBalloonSuccess, false, true}),
                         [](const ::testing::TestParamInfo<IconCase>& info) { return std::string(info.param.label); });

} // namespace
