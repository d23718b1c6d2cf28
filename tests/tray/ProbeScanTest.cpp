// The locator's pixel search on bitmaps drawn here, its fallbacks, and locate without a
// notification area (the null graphics driver has none).

#include "CPixelGrid.h"
#include "CTrayIconLocator.h"
#include "CTrayTestHost.h"
#include "DrawnPixels.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct ScanCase {
    const char* label;
    std::vector<DrawnBlock> blocks;
    std::optional<POINT> anchor;
};

// Test names and failure messages show the case's label.
void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.label; }

class ProbeScanTest : public ::testing::TestWithParam<ScanCase> {};

constexpr int kWidth = 80;
constexpr int kHeight = 30;
constexpr COLORREF kBlack = RGB(0, 0, 0);

TEST_P(ProbeScanTest, FindsTheFirstWideBlackRunFromTheBottom)
{
    const ScanCase& c = GetParam();
    const CPixelGrid grid = drawnPixels(kWidth, kHeight, c.blocks);
    ASSERT_FALSE(grid.empty());
    const auto found = CTrayIconLocator::scan(grid, RECT{0, 0, kWidth, kHeight});
    ASSERT_EQ(found.has_value(), c.anchor.has_value());
    if (c.anchor) {
        EXPECT_EQ(found->x, c.anchor->x);
        EXPECT_EQ(found->y, c.anchor->y);
    }
}

// A block from (L, T) to (R, B) is found in row B - 3 (its lowest row with black two rows
// below) at column L + 8 (the ninth black pixel), which gives the anchor (L + 7, B - 9).
INSTANTIATE_TEST_SUITE_P(
    Bitmaps, ProbeScanTest,
    ::testing::Values(
        ScanCase{"probe_16x16", {{{20, 4, 36, 20}, kBlack}}, POINT{27, 11}},
        ScanCase{"smallest_9x5", {{{10, 5, 19, 10}, kBlack}}, POINT{17, 1}},
        ScanCase{"eight_wide", {{{10, 4, 18, 20}, kBlack}}, std::nullopt},
        ScanCase{"four_tall", {{{10, 10, 40, 14}, kBlack}}, std::nullopt},
        ScanCase{"near_black_counts", {{{20, 4, 36, 20}, RGB(3, 3, 3)}}, POINT{27, 11}},
        ScanCase{"red_4_is_too_light", {{{20, 4, 36, 20}, RGB(4, 0, 0)}}, std::nullopt},
        ScanCase{"blue_4_is_too_light", {{{20, 4, 36, 20}, RGB(0, 0, 4)}}, std::nullopt},
        ScanCase{"gap_resets_the_run", {{{10, 4, 16, 20}, kBlack}, {{17, 4, 23, 20}, kBlack}}, std::nullopt},
        ScanCase{"lowest_block_wins", {{{5, 2, 21, 18}, kBlack}, {{60, 10, 76, 26}, kBlack}}, POINT{67, 17}},
        // Rows start 3 pixels above the bottom edge.
        ScanCase{"touching_the_bottom", {{{30, 14, 46, 30}, kBlack}}, POINT{37, 21}}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.label); });

TEST(ProbeScanGridTest, RowsAboveTheAreaComeFromTheGridAndNothingOutsideItCounts)
{
    // Only the area's top row (6) has black two rows below and two rows above it, at row 4.
    const std::vector<DrawnBlock> block{{{20, 4, 36, 9}, kBlack}};
    const RECT area{0, 6, kWidth, kHeight};
    const auto found = CTrayIconLocator::scan(drawnPixels(kWidth, kHeight, block), area);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->x, 27);
    EXPECT_EQ(found->y, 0);

    // The same pixels without the rows above the area: nothing is found, nothing is read
    // outside the grid.
    EXPECT_FALSE(CTrayIconLocator::scan(drawnPixels(kWidth, kHeight, block, area), area).has_value());
    // A block left of the scanned columns is not seen.
    EXPECT_FALSE(CTrayIconLocator::scan(drawnPixels(kWidth, kHeight, block), RECT{40, 0, kWidth, kHeight}).has_value());
}

struct FallbackCase {
    const char* label;
    DWORD platform;
    DWORD major;
    DWORD minor;
    LONG x;
};

void PrintTo(const FallbackCase& c, std::ostream* os) { *os << c.label; }

class FallbackAnchorTest : public ::testing::TestWithParam<FallbackCase> {};

TEST_P(FallbackAnchorTest, CentreOrLeftEdgePlusSix)
{
    const FallbackCase& c = GetParam();
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    version.dwPlatformId = c.platform;
    version.dwMajorVersion = c.major;
    version.dwMinorVersion = c.minor;
    const POINT anchor = CTrayIconLocator::fallbackAnchor(RECT{100, 700, 200, 740}, version);
    EXPECT_EQ(anchor.x, c.x);
    EXPECT_EQ(anchor.y, 720);
}

INSTANTIATE_TEST_SUITE_P(Systems, FallbackAnchorTest,
                         ::testing::Values(FallbackCase{"nt4", VER_PLATFORM_WIN32_NT, 4, 0, 150},
                                           FallbackCase{"windows2000", VER_PLATFORM_WIN32_NT, 5, 0, 106},
                                           FallbackCase{"windows7", VER_PLATFORM_WIN32_NT, 6, 1, 106},
                                           FallbackCase{"windows98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, 150}),
                         [](const ::testing::TestParamInfo<FallbackCase>& info) {
                             return std::string(info.param.label);
                         });

TEST(TrayIconLocatorTest, WithoutATaskbarTheAreaIsTheScreensBottomRightCorner)
{
    ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", nullptr), nullptr) << "this test needs a desktop without a taskbar";
    const RECT area = CTrayIconLocator::notificationArea();
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(area.left, width - 40);
    EXPECT_EQ(area.top, height - 20);
    EXPECT_EQ(area.right, width);
    EXPECT_EQ(area.bottom, height);
}

TEST(TrayIconLocatorTest, UnattachedLocatorAnswersNothing)
{
    CTrayIconLocator locator;
    EXPECT_FALSE(locator.locate().has_value());
    EXPECT_FALSE(locator.locate(1).has_value());
    EXPECT_EQ(locator.searches(), 0);
}

TEST(TrayIconLocatorTest, WithoutTheIconEveryRequestSearchesAndGetsTheUncachedFallback)
{
    CTrayTestHost host;
    ASSERT_TRUE(host.create());
    ASSERT_FALSE(host.tray.isAdded()) << "this test needs a desktop without a notification area";
    ASSERT_NE(host.locator.probeIcon(), nullptr);

    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(&version);
    const POINT expected = CTrayIconLocator::fallbackAnchor(CTrayIconLocator::notificationArea(), version);

    // Mode 7 does not exist and counts as the default mode.
    for (int mode : {0, 3, 7}) {
        const auto anchor = host.locator.locate(mode);
        ASSERT_TRUE(anchor.has_value());
        EXPECT_EQ(anchor->x, expected.x);
        EXPECT_EQ(anchor->y, expected.y);
    }
    EXPECT_EQ(host.locator.searches(), 3);
}

} // namespace
