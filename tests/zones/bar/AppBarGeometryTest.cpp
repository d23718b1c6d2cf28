// The docking arithmetic on a 1024 x 768 screen whose bottom 30 pixels belong to a taskbar.

#include "AppBarState.h"
#include "CAppBarGeometry.h"

#include <gtest/gtest.h>

#include <sstream>

#include <ostream>

namespace {

constexpr RECT kScreen{0, 0, 1024, 768};
constexpr RECT kWork{0, 0, 1024, 738};
constexpr SIZE kScrollBar{17, 17};
constexpr DWORD kBar = appbar::kAllowTopBottom | appbar::kAllowFloat;
constexpr DWORD kEverySide = appbar::kAllowTopBottom | appbar::kAllowLeftRight | appbar::kAllowFloat;

std::string text(const RECT& r)
{
    std::ostringstream out;
    out << '{' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << '}';
    return out.str();
}

void expectRect(const RECT& actual, const RECT& expected, const std::string& what)
{
    EXPECT_TRUE(EqualRect(&actual, &expected)) << what << ": " << text(actual) << ", expected " << text(expected);
}

} // namespace

TEST(AppBarGeometryTest, ProposedEdge)
{
    struct Case {
        POINT p;
        bool ctrl;
        DWORD allowed;
        int edge;
        const char* what;
    };
    const Case cases[] = {
        {{512, 384}, false, kBar, appbar::kFloating, "the screen's middle"},
        {{512, 715}, false, kBar, appbar::kFloating, "inside the work area, a scroll bar above its bottom"},
        {{512, 5}, false, kBar, appbar::kTop, "the top edge"},
        {{512, 725}, false, kBar, appbar::kBottom, "within a scroll bar's height of the work area's bottom"},
        {{512, 760}, false, kBar, appbar::kBottom, "over the taskbar"},
        {{0, 100}, false, kBar, appbar::kTop, "the left edge, upper half: no left docking"},
        {{0, 700}, false, kBar, appbar::kBottom, "the left edge, lower half"},
        {{1023, 300}, false, kBar, appbar::kTop, "the right edge, upper half"},
        {{512, 5}, true, kBar, appbar::kFloating, "Ctrl held at the top edge"},
        {{0, 100}, false, kEverySide, appbar::kLeft, "the left edge where left docking is allowed"},
        {{0, 0}, false, kEverySide, appbar::kLeft, "the corner: the sides weigh as much as top and bottom"},
        {{512, 5}, false, kEverySide, appbar::kTop, "the top edge where every side is allowed"},
        {{1020, 700}, false, kEverySide, appbar::kRight, "the lower right, nearer the side"},
        {{512, 5}, false, appbar::kAllowLeftRight | appbar::kAllowFloat, appbar::kRight, "only sides allowed"},
        {{512, 5}, false, appbar::kAllowFloat, appbar::kFloating, "no docking allowed"},
        {{512, 384}, true, appbar::kAllowTopBottom, appbar::kBottom, "nowhere to float: Ctrl does nothing"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CAppBarGeometry::proposeEdge(c.p, c.ctrl, c.allowed, kScreen, kWork, kScrollBar), c.edge) << c.what;
}

// Docked: the area cut to the thickness at the edge; hidden: off the screen but for two
// border widths.
TEST(AppBarGeometryTest, DockedAndHiddenRectangles)
{
    const SIZE border{1, 1};
    struct Case {
        int edge;
        RECT area;
        int thickness;
        RECT docked;
        RECT hidden;
    };
    const Case cases[] = {
        {appbar::kTop, kScreen, 34, {0, 0, 1024, 34}, {0, -32, 1024, 2}},
        {appbar::kTop, RECT{0, 40, 1024, 768}, 60, {0, 40, 1024, 100}, {0, -58, 1024, 2}},
        {appbar::kBottom, kWork, 34, {0, 704, 1024, 738}, {0, 766, 1024, 800}},
        {appbar::kBottom, kScreen, 60, {0, 708, 1024, 768}, {0, 766, 1024, 826}},
        {appbar::kLeft, kScreen, 200, {0, 0, 200, 768}, {-198, 0, 2, 768}},
        {appbar::kRight, kScreen, 200, {824, 0, 1024, 768}, {1022, 0, 1222, 768}},
    };
    for (const Case& c : cases) {
        const RECT docked = CAppBarGeometry::cutToEdge(c.edge, c.area, c.thickness);
        expectRect(docked, c.docked, "docked at " + std::to_string(c.edge));
        expectRect(CAppBarGeometry::hiddenRect(c.edge, docked, kScreen, border), c.hidden,
                   "hidden at " + std::to_string(c.edge));
        EXPECT_EQ(CAppBarGeometry::thicknessOf(c.edge, docked), c.thickness);
    }
    // Thicker borders leave more in view.
    expectRect(CAppBarGeometry::hiddenRect(appbar::kTop, RECT{0, 0, 1024, 34}, kScreen, SIZE{2, 3}),
               RECT{0, -28, 1024, 6}, "top, 3-pixel borders");
}

TEST(AppBarGeometryTest, FloatingRectangleHangsFromThePointer)
{
    expectRect(CAppBarGeometry::floatingAt(POINT{500, 300}, RECT{10, 20, 510, 54}), RECT{250, 300, 750, 334},
               "500 x 34 at (500, 300)");
    expectRect(CAppBarGeometry::floatingAt(POINT{0, 0}, RECT{0, 0, 301, 40}), RECT{-150, 0, 151, 40}, "odd width");
}

// Rows of 26 pixels inside an 8-pixel frame; at least the template (248 x 34), at most half
// the screen's height.
TEST(AppBarGeometryTest, SizingSnapsToWholeRows)
{
    const SIZE increment{1, 26}, frame{8, 8}, least{248, 34}, most{1024, 384};
    struct Case {
        RECT proposed;
        UINT side;
        RECT snapped;
        const char* what;
    };
    const Case cases[] = {
        {{0, 0, 1024, 34}, WMSZ_BOTTOM, {0, 0, 1024, 34}, "one row stays"},
        {{0, 0, 1024, 46}, WMSZ_BOTTOM, {0, 0, 1024, 34}, "less than half a row more rounds down"},
        {{0, 0, 1024, 47}, WMSZ_BOTTOM, {0, 0, 1024, 60}, "half a row more rounds up"},
        {{0, 0, 1024, 80}, WMSZ_BOTTOM, {0, 0, 1024, 86}, "three rows"},
        {{0, 0, 1024, 10}, WMSZ_BOTTOM, {0, 0, 1024, 34}, "never under one row"},
        {{0, 0, 1024, 500}, WMSZ_BOTTOM, {0, 0, 1024, 372}, "never over the largest size"},
        {{0, 700, 1024, 768}, WMSZ_TOP, {0, 708, 1024, 768}, "from the top: the bottom stays"},
        {{100, 300, 400, 350}, WMSZ_TOPLEFT, {100, 290, 400, 350}, "width in whole pixels"},
        {{300, 300, 400, 334}, WMSZ_LEFT, {152, 300, 400, 334}, "from the left, widened to the template"},
        {{300, 300, 400, 334}, WMSZ_RIGHT, {300, 300, 548, 334}, "from the right, widened to the template"},
    };
    for (const Case& c : cases)
        expectRect(CAppBarGeometry::snapSizing(c.proposed, c.side, increment, frame, least, most), c.snapped, c.what);
}

TEST(AppBarGeometryTest, LargestSize)
{
    const std::pair<int, SIZE> cases[] = {
        {appbar::kTop, {1024, 384}},     {appbar::kBottom, {1024, 384}}, {appbar::kLeft, {512, 768}},
        {appbar::kRight, {512, 768}},    {appbar::kFloating, {512, 384}}, {appbar::kNone, {512, 384}},
    };
    for (const auto& [edge, size] : cases) {
        const SIZE largest = CAppBarGeometry::maxSize(edge, kScreen);
        EXPECT_EQ(largest.cx, size.cx) << edge;
        EXPECT_EQ(largest.cy, size.cy) << edge;
    }
}

TEST(AppBarGeometryTest, SlideIsLinear)
{
    const RECT from{0, -32, 1024, 2}, to{0, 0, 1024, 34};
    const std::pair<DWORD, RECT> cases[] = {
        {0, from}, {100, {0, -24, 1024, 10}}, {200, {0, -16, 1024, 18}}, {400, to}, {1000, to},
    };
    for (const auto& [elapsed, expected] : cases)
        expectRect(CAppBarGeometry::slideStep(from, to, elapsed, 400), expected, std::to_string(elapsed) + " ms");
    expectRect(CAppBarGeometry::slideStep(from, to, 0, 0), to, "no duration");
}
