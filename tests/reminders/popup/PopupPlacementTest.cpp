// Pop-up geometry without windows: the taskbar's edge from the taskbar's or the work area's
// rectangle, the height from the measured text, the corner for each edge, stacking and the
// new column when a column is full, and the rectangle while sliding.

#include "CPopupPlacement.h"

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr RECT kFullScreen{0, 0, kScreenWidth, kScreenHeight};

const char* nameOf(TaskbarEdge edge)
{
    switch (edge) {
    case TaskbarEdge::Left:
        return "left";
    case TaskbarEdge::Top:
        return "top";
    case TaskbarEdge::Right:
        return "right";
    case TaskbarEdge::Bottom:
        return "bottom";
    }
    return "?";
}

std::string text(const RECT& r)
{
    std::ostringstream out;
    out << '(' << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ')';
    return out.str();
}

void expectRect(const RECT& actual, const RECT& expected)
{
    EXPECT_TRUE(EqualRect(&actual, &expected)) << "got " << text(actual) << ", expected " << text(expected);
}

std::string labelOf(const char* label) { return label; }

} // namespace

void PrintTo(TaskbarEdge edge, std::ostream* os) { *os << nameOf(edge); }

// --- Which edge holds the taskbar ---

struct EdgeCase {
    const char* label;
    bool hasTaskbar;
    RECT taskbar;
    RECT workArea;
    TaskbarEdge expected;
};

void PrintTo(const EdgeCase& c, std::ostream* os) { *os << c.label; }

class PlacementEdgeTest : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(PlacementEdgeTest, FollowsTheTaskbarWindowElseTheWorkArea)
{
    const EdgeCase& c = GetParam();
    PopupScreen screen;
    screen.hasTaskbar = c.hasTaskbar;
    screen.taskbar = c.taskbar;
    screen.workArea = c.workArea;
    screen.screen = SIZE{kScreenWidth, kScreenHeight};
    EXPECT_EQ(CPopupPlacement::edgeOf(screen), c.expected);
}

// With a taskbar window its rectangle decides, whatever the work area says (each of these
// work areas alone would give another edge).
INSTANTIATE_TEST_SUITE_P(
    TaskbarWindow, PlacementEdgeTest,
    ::testing::Values(
        EdgeCase{"bottom_bar", true, {-2, 738, 1026, 770}, {0, 30, 1024, 768}, TaskbarEdge::Bottom},
        EdgeCase{"right_bar", true, {994, -2, 1026, 770}, {0, 30, 1024, 768}, TaskbarEdge::Right},
        EdgeCase{"top_bar", true, {-2, -2, 1026, 30}, {0, 0, 1024, 738}, TaskbarEdge::Top},
        EdgeCase{"left_bar", true, {-2, -2, 30, 770}, {0, 0, 1024, 738}, TaskbarEdge::Left},
        // A positive top decides before a positive left.
        EdgeCase{"short_bar_low_right", true, {600, 700, 900, 768}, kFullScreen, TaskbarEdge::Bottom},
        // A top bar that ends exactly at the screen's width does not pass it: left.
        EdgeCase{"top_bar_without_overhang", true, {0, 0, 1024, 30}, kFullScreen, TaskbarEdge::Left}),
    [](const ::testing::TestParamInfo<EdgeCase>& info) { return labelOf(info.param.label); });

// Without one, the work area: its top, then its left, then its bottom tell the edge.
INSTANTIATE_TEST_SUITE_P(
    WorkArea, PlacementEdgeTest,
    ::testing::Values(
        EdgeCase{"top_gap", false, {-2, 738, 1026, 770}, {0, 30, 1024, 768}, TaskbarEdge::Top},
        EdgeCase{"left_gap", false, {}, {30, 0, 1024, 768}, TaskbarEdge::Left},
        EdgeCase{"bottom_gap", false, {}, {0, 0, 1024, 738}, TaskbarEdge::Bottom},
        EdgeCase{"right_gap", false, {}, {0, 0, 994, 768}, TaskbarEdge::Right},
        EdgeCase{"no_gap", false, {}, kFullScreen, TaskbarEdge::Right},
        EdgeCase{"top_before_left", false, {}, {30, 30, 1024, 768}, TaskbarEdge::Top},
        EdgeCase{"left_before_bottom", false, {}, {30, 0, 1024, 738}, TaskbarEdge::Left}),
    [](const ::testing::TestParamInfo<EdgeCase>& info) { return labelOf(info.param.label); });

// --- Height ---

TEST(PlacementHeightTest, TextHeightPlusThirtyWithSixtyTwoForTextsLowerThanThirtyTwo)
{
    struct HeightCase {
        int textHeight;
        int height;
    };
    for (const HeightCase& c : {HeightCase{0, 62}, HeightCase{16, 62}, HeightCase{31, 62}, HeightCase{32, 62},
                                HeightCase{33, 63}, HeightCase{48, 78}, HeightCase{130, 160}})
        EXPECT_EQ(CPopupPlacement::heightFor(c.textHeight), c.height) << "text height " << c.textHeight;
}

// --- Corner and stacking ---

struct PlaceCase {
    const char* label;
    TaskbarEdge edge;
    RECT workArea;
    bool hasPrevious;
    PopupSlot previous;
    int height;
    RECT expected;
};

void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.label; }

class PlacementSlotTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlacementSlotTest, GoesToTheCornerOrOnItsPredecessor)
{
    const PlaceCase& c = GetParam();
    const PopupSlot slot = c.hasPrevious ? CPopupPlacement::next(c.edge, c.workArea, c.previous, c.height)
                                         : CPopupPlacement::corner(c.edge, c.workArea, c.height);
    expectRect(slot.rect, c.expected);
    EXPECT_EQ(slot.edge, c.edge);
}

constexpr RECT kAboveBottomBar{0, 0, 1024, 738};
constexpr RECT kBesideRightBar{0, 0, 994, 768};
constexpr RECT kBesideLeftBar{30, 0, 1024, 768};
constexpr RECT kBelowTopBar{0, 30, 1024, 768};

INSTANTIATE_TEST_SUITE_P(
    Corners, PlacementSlotTest,
    ::testing::Values(
        PlaceCase{"bottom", TaskbarEdge::Bottom, kAboveBottomBar, false, {}, 62, {807, 676, 1024, 738}},
        PlaceCase{"right", TaskbarEdge::Right, kBesideRightBar, false, {}, 78, {777, 690, 994, 768}},
        PlaceCase{"left", TaskbarEdge::Left, kBesideLeftBar, false, {}, 62, {30, 706, 247, 768}},
        PlaceCase{"top", TaskbarEdge::Top, kBelowTopBar, false, {}, 62, {807, 30, 1024, 92}}),
    [](const ::testing::TestParamInfo<PlaceCase>& info) { return labelOf(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Stacking, PlacementSlotTest,
    ::testing::Values(
        PlaceCase{"bottom_above", TaskbarEdge::Bottom, kAboveBottomBar, true,
                  {{807, 676, 1024, 738}, TaskbarEdge::Bottom}, 78, {807, 598, 1024, 676}},
        // Reaching the work area's top exactly still fits.
        PlaceCase{"bottom_up_to_the_top", TaskbarEdge::Bottom, kAboveBottomBar, true,
                  {{807, 62, 1024, 124}, TaskbarEdge::Bottom}, 62, {807, 0, 1024, 62}},
        PlaceCase{"bottom_new_column_to_the_left", TaskbarEdge::Bottom, kAboveBottomBar, true,
                  {{807, 61, 1024, 123}, TaskbarEdge::Bottom}, 62, {590, 676, 807, 738}},
        PlaceCase{"right_above", TaskbarEdge::Right, kBesideRightBar, true,
                  {{777, 690, 994, 768}, TaskbarEdge::Right}, 62, {777, 628, 994, 690}},
        PlaceCase{"right_new_column_to_the_left", TaskbarEdge::Right, kBesideRightBar, true,
                  {{560, 20, 777, 82}, TaskbarEdge::Right}, 62, {343, 706, 560, 768}},
        PlaceCase{"left_above", TaskbarEdge::Left, kBesideLeftBar, true,
                  {{30, 706, 247, 768}, TaskbarEdge::Left}, 62, {30, 644, 247, 706}},
        PlaceCase{"left_new_column_to_the_right", TaskbarEdge::Left, kBesideLeftBar, true,
                  {{30, 10, 247, 72}, TaskbarEdge::Left}, 62, {247, 706, 464, 768}},
        PlaceCase{"top_below", TaskbarEdge::Top, kBelowTopBar, true,
                  {{807, 30, 1024, 92}, TaskbarEdge::Top}, 78, {807, 92, 1024, 170}},
        // Reaching the work area's bottom exactly still fits.
        PlaceCase{"top_down_to_the_bottom", TaskbarEdge::Top, kBelowTopBar, true,
                  {{807, 644, 1024, 706}, TaskbarEdge::Top}, 62, {807, 706, 1024, 768}},
        PlaceCase{"top_new_column_to_the_left", TaskbarEdge::Top, kBelowTopBar, true,
                  {{807, 645, 1024, 707}, TaskbarEdge::Top}, 62, {590, 30, 807, 92}},
        // A predecessor placed for another edge (the taskbar has moved since): the corner.
        PlaceCase{"predecessor_on_another_edge", TaskbarEdge::Top, kBelowTopBar, true,
                  {{807, 676, 1024, 738}, TaskbarEdge::Bottom}, 62, {807, 30, 1024, 92}},
        PlaceCase{"predecessor_on_the_bottom_now_left", TaskbarEdge::Left, kBesideLeftBar, true,
                  {{807, 676, 1024, 738}, TaskbarEdge::Bottom}, 62, {30, 706, 247, 768}}),
    [](const ::testing::TestParamInfo<PlaceCase>& info) { return labelOf(info.param.label); });

// --- Sliding ---

TEST(PlacementSlideTest, GrowsAwayFromTheTaskbarsSide)
{
    const PopupSlot bottom{{807, 676, 1024, 738}, TaskbarEdge::Bottom};
    const PopupSlot left{{30, 706, 247, 768}, TaskbarEdge::Left};
    const PopupSlot top{{807, 30, 1024, 92}, TaskbarEdge::Top};
    struct SlideCase {
        const PopupSlot* slot;
        int shown;
        RECT expected;
    };
    for (const SlideCase& c : {SlideCase{&bottom, 0, {807, 738, 1024, 738}}, SlideCase{&bottom, 10, {807, 728, 1024, 738}},
                               SlideCase{&bottom, 62, {807, 676, 1024, 738}}, SlideCase{&left, 1, {30, 767, 247, 768}},
                               SlideCase{&top, 0, {807, 30, 1024, 30}}, SlideCase{&top, 10, {807, 30, 1024, 40}},
                               SlideCase{&top, 62, {807, 30, 1024, 92}}}) {
        SCOPED_TRACE(std::string(nameOf(c.slot->edge)) + ", " + std::to_string(c.shown) + " rows");
        expectRect(CPopupPlacement::sliding(*c.slot, c.shown), c.expected);
    }
}
