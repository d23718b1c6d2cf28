// The stored form of the bar's state: twelve little-endian words, the same on x86 and x64,
// and a short or long stored value read safely.

#include "AppBarState.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

AppBarState sample()
{
    AppBarState s;
    s.edge = appbar::kFloating;
    s.autoHide = true;
    s.alwaysOnTop = false;
    s.dockedSize[0] = 250;
    s.dockedSize[1] = 34;
    s.dockedSize[2] = 251;
    s.dockedSize[3] = 60;
    s.floatRect = RECT{-120, 40, 700, 74};
    return s;
}

AppBarState defaults()
{
    AppBarState d;
    d.edge = appbar::kTop;
    d.autoHide = false;
    d.alwaysOnTop = true;
    for (int& size : d.dockedSize)
        size = 7;
    d.floatRect = RECT{1, 2, 3, 4};
    return d;
}

} // namespace

TEST(AppBarStateTest, BytesAreTwelveLittleEndianWords)
{
    const auto bytes = sample().toBytes();
    const std::vector<BYTE> expected = {
        48, 0, 0, 0,                      // Size
        0xFE, 0xFF, 0xFF, 0xFF,           // Edge: floating (-2)
        1, 0, 0, 0,                       // AutoHide
        0, 0, 0, 0,                       // AlwaysOnTop
        250, 0, 0, 0, 34, 0, 0, 0,        // DockedSize left, top
        251, 0, 0, 0, 60, 0, 0, 0,        // right, bottom
        0x88, 0xFF, 0xFF, 0xFF,           // FloatRect left (-120)
        40, 0, 0, 0, 0xBC, 2, 0, 0,       // top, right (700)
        74, 0, 0, 0};                     // bottom
    EXPECT_EQ(std::vector<BYTE>(bytes.begin(), bytes.end()), expected);
}

TEST(AppBarStateTest, RoundTrip)
{
    const auto bytes = sample().toBytes();
    EXPECT_EQ(AppBarState::fromBytes(bytes.data(), bytes.size(), defaults()), sample());
}

// Whole words present replace their fields; a broken word and everything after keep the
// defaults; bytes past the twelfth word are ignored. The size word always reads 48.
TEST(AppBarStateTest, ShortAndLongValues)
{
    const auto full = sample().toBytes();
    std::vector<BYTE> longer(full.begin(), full.end());
    longer.insert(longer.end(), {9, 9, 9, 9, 9, 9, 9, 9});

    struct Case {
        size_t count;
        int edge;
        bool autoHide;
        bool alwaysOnTop;
        int bottomSize;
        LONG floatBottom;
    };
    const Case cases[] = {
        {0, appbar::kTop, false, true, 7, 4},
        {7, appbar::kTop, false, true, 7, 4},          // the edge word is broken
        {8, appbar::kFloating, false, true, 7, 4},     // Size and Edge
        {12, appbar::kFloating, true, true, 7, 4},     // and AutoHide
        {31, appbar::kFloating, true, false, 7, 4},    // up to DockedSize right
        {32, appbar::kFloating, true, false, 60, 4},   // and DockedSize bottom
        {47, appbar::kFloating, true, false, 60, 4},   // FloatRect bottom is broken
        {48, appbar::kFloating, true, false, 60, 74},
        {56, appbar::kFloating, true, false, 60, 74},
    };
    for (const Case& c : cases) {
        const AppBarState s = AppBarState::fromBytes(longer.data(), c.count, defaults());
        EXPECT_EQ(s.size, 48u) << c.count;
        EXPECT_EQ(s.edge, c.edge) << c.count;
        EXPECT_EQ(s.autoHide, c.autoHide) << c.count;
        EXPECT_EQ(s.alwaysOnTop, c.alwaysOnTop) << c.count;
        EXPECT_EQ(s.dockedSize[appbar::kBottom], c.bottomSize) << c.count;
        EXPECT_EQ(s.floatRect.bottom, c.floatBottom) << c.count;
    }
    EXPECT_EQ(AppBarState::fromBytes(nullptr, 48, defaults()), defaults());
}

TEST(AppBarStateTest, AllowedEdges)
{
    const DWORD bar = appbar::kAllowTopBottom | appbar::kAllowFloat;
    const std::pair<int, bool> cases[] = {{appbar::kLeft, false},  {appbar::kTop, true},      {appbar::kRight, false},
                                          {appbar::kBottom, true}, {appbar::kFloating, true}, {appbar::kNone, true},
                                          {4, false},              {-3, false}};
    for (const auto& [edge, allowed] : cases)
        EXPECT_EQ(appbar::edgeAllowed(edge, bar), allowed) << edge;
    EXPECT_FALSE(appbar::edgeAllowed(appbar::kFloating, appbar::kAllowTopBottom));
    EXPECT_TRUE(appbar::edgeAllowed(appbar::kLeft, appbar::kAllowLeftRight));
}
