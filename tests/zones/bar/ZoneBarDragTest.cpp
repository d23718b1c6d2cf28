// Moving and sizing the bar as the system's move loop drives it (WM_ENTERSIZEMOVE,
// WM_MOVING / WM_SIZING, WM_EXITSIZEMOVE), where it can be grabbed, how large it may grow,
// where its controls go, and its slide.

#include "CMessageWindow.h"
#include "CZoneBarTest.h"

#include "resource.h"

namespace {

int taskbarTop() { return GetSystemMetrics(SM_CYSCREEN) - CAppBarShellStandIn::kTaskbarHeight; }

} // namespace

class ZoneBarDragTest : public CZoneBarTest {
protected:
    // The state where `edge` is stored, with a floating rectangle of 500 x (one row).
    void openAt(int edge)
    {
        AppBarState stored;
        stored.edge = edge;
        stored.autoHide = false;
        stored.floatRect = RECT{100, 200, 600, 200 + templateSize().window.cy};
        storeState(stored);
        openBar();
    }

    POINT hitPoint(int x, int y) const
    {
        const RECT r = windowRect();
        return POINT{x < 0 ? r.right + x : r.left + x, y < 0 ? r.bottom + y : r.top + y};
    }
    LRESULT hitTest(POINT p) const { return send(WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)); }
};

// The pointer's place proposes the state; the window shows the proposal while dragging and
// the bar takes it at the end.
TEST_F(ZoneBarDragTest, DraggingProposesAndTakesAState)
{
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const int oneRow = templateSize().window.cy;
    struct Case {
        int from;
        POINT to;
        int edge;
        RECT rect;
        const char* what;
    };
    const Case cases[] = {
        {appbar::kTop, {w / 2, h - 5}, appbar::kBottom, {0, taskbarTop() - oneRow, w, taskbarTop()}, "to the bottom"},
        {appbar::kBottom, {w / 2, 3}, appbar::kTop, {0, 0, w, oneRow}, "to the top"},
        {appbar::kTop, {0, h / 3}, appbar::kTop, {0, 0, w, oneRow}, "to the left edge: no docking there"},
        {appbar::kTop, {1, h - 100}, appbar::kBottom, {0, taskbarTop() - oneRow, w, taskbarTop()}, "low on the left"},
        {appbar::kTop, {400, 300}, appbar::kFloating, {150, 300, 650, 300 + oneRow}, "into the middle"},
        {appbar::kFloating, {600, 400}, appbar::kFloating, {350, 400, 850, 400 + oneRow}, "a floating bar moved"},
        {appbar::kFloating, {w / 2, h - 2}, appbar::kBottom, {0, taskbarTop() - oneRow, w, taskbarTop()}, "docked"},
    };
    for (const Case& c : cases) {
        freshBar();
        openAt(c.from);
        const RECT moving = drag(c.to);
        EXPECT_EQ(zoneBar->proposedEdge(), c.edge) << c.what;
        EXPECT_TRUE(sameRect(moving, c.rect)) << c.what << ": " << rectText(moving);
        EXPECT_EQ(state().edge, c.from) << c.what << ": nothing taken before the end";

        send(WM_EXITSIZEMOVE);
        EXPECT_EQ(state().edge, c.edge) << c.what;
        EXPECT_EQ(zoneBar->proposedEdge(), appbar::kNone) << c.what;
        EXPECT_TRUE(sameRect(windowRect(), c.rect)) << c.what << ": " << rectText(windowRect());
        if (c.edge == appbar::kFloating) {
            EXPECT_TRUE(sameRect(state().floatRect, c.rect)) << c.what;
            EXPECT_TRUE(emptyRect(shell.reserved(bar()))) << c.what;
        } else {
            EXPECT_TRUE(sameRect(shell.reserved(bar()), c.rect)) << c.what;
            EXPECT_EQ(state().dockedSize[c.edge], oneRow) << c.what;
        }
    }
}

// A docked bar sized at its inner edge snaps to whole rows and keeps the new thickness for
// that edge.
TEST_F(ZoneBarDragTest, SizingADockedBarKeepsItsThickness)
{
    const int w = GetSystemMetrics(SM_CXSCREEN);
    for (const int edge : {appbar::kTop, appbar::kBottom}) {
        freshBar();
        openAt(edge);
        const int row = rowHeight();
        const int threeRows = minHeight() + 2 * row;
        send(WM_ENTERSIZEMOVE);
        RECT r = windowRect();
        const UINT side = edge == appbar::kTop ? WMSZ_BOTTOM : WMSZ_TOP;
        if (edge == appbar::kTop)
            r.bottom = r.top + threeRows - row / 3; // a little short of three rows
        else
            r.top = r.bottom - threeRows - row / 3; // a little past
        send(WM_SIZING, side, reinterpret_cast<LPARAM>(&r));
        EXPECT_EQ(r.bottom - r.top, threeRows) << edge;
        EXPECT_EQ(r.right - r.left, w) << edge;
        EXPECT_EQ(edge == appbar::kTop ? r.top : r.bottom, edge == appbar::kTop ? 0 : taskbarTop())
            << edge << ": the outer edge stays";
        SetWindowPos(bar(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        send(WM_EXITSIZEMOVE);
        EXPECT_EQ(state().edge, edge);
        EXPECT_EQ(state().dockedSize[edge], threeRows);
        EXPECT_TRUE(sameRect(windowRect(), r)) << rectText(windowRect());
        EXPECT_TRUE(sameRect(shell.reserved(bar()), r));

        // The thickness is stored for the next opening.
        zoneBar->close(false);
        ASSERT_TRUE(zoneBar->open(nullptr));
        EXPECT_EQ(windowRect().bottom - windowRect().top, threeRows);
    }
}

TEST_F(ZoneBarDragTest, SizingAFloatingBar)
{
    openAt(appbar::kFloating);
    const int row = rowHeight();
    send(WM_ENTERSIZEMOVE);
    RECT r = windowRect();
    r.left -= 9;
    r.bottom += row + row / 2 + 1;
    send(WM_SIZING, WMSZ_BOTTOMLEFT, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.right - r.left, 509);
    EXPECT_EQ(r.bottom - r.top, minHeight() + 2 * row);
    SetWindowPos(bar(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    send(WM_EXITSIZEMOVE);
    EXPECT_EQ(state().edge, appbar::kFloating);
    EXPECT_TRUE(sameRect(state().floatRect, r)) << rectText(state().floatRect);
}

// The client area drags the bar; docked, only the inner edge sizes it; floating, every
// border sizes it as the system's own hit test says.
TEST_F(ZoneBarDragTest, WhereTheBarCanBeGrabbed)
{
    constexpr LRESULT kAsTheSystemSays = -100;
    struct Case {
        int edge;
        POINT at; // from the window's corner; negative counts from the right or bottom
        LRESULT hit;
        const char* what;
    };
    const Case cases[] = {
        {appbar::kTop, {300, 10}, HTCAPTION, "docked top, client area"},
        {appbar::kTop, {300, -1}, HTBOTTOM, "docked top, lower border"},
        {appbar::kTop, {1, -1}, HTBOTTOM, "docked top, lower left corner"},
        {appbar::kTop, {300, 1}, HTBORDER, "docked top, upper border"},
        {appbar::kTop, {1, 10}, HTBORDER, "docked top, left border"},
        {appbar::kBottom, {300, 1}, HTTOP, "docked bottom, upper border"},
        {appbar::kBottom, {-1, 1}, HTTOP, "docked bottom, upper right corner"},
        {appbar::kBottom, {300, -1}, HTBORDER, "docked bottom, lower border"},
        {appbar::kBottom, {-1, -1}, HTBORDER, "docked bottom, lower right corner"},
        {appbar::kFloating, {250, 10}, HTCAPTION, "floating, client area"},
        {appbar::kFloating, {250, 1}, kAsTheSystemSays, "floating, upper border"},
        {appbar::kFloating, {250, -1}, kAsTheSystemSays, "floating, lower border"},
        {appbar::kFloating, {-1, 10}, kAsTheSystemSays, "floating, right border"},
        {appbar::kFloating, {1, -1}, kAsTheSystemSays, "floating, corner"},
    };
    for (const Case& c : cases) {
        if (!bar() || state().edge != c.edge) {
            freshBar();
            openAt(c.edge);
        }
        const POINT p = hitPoint(c.at.x, c.at.y);
        const LRESULT hit = hitTest(p);
        if (c.hit == kAsTheSystemSays) {
            EXPECT_EQ(hit, DefWindowProcW(bar(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y))) << c.what;
            EXPECT_GE(hit, HTLEFT) << c.what;
            EXPECT_LE(hit, HTBOTTOMRIGHT) << c.what;
        } else {
            EXPECT_EQ(hit, c.hit) << c.what;
        }
    }
}

// The largest size: the screen's width docked, half of it floating; half the screen's
// height either way. Never under the template's size.
TEST_F(ZoneBarDragTest, TrackingSizes)
{
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const TemplateSize size = templateSize();
    const std::pair<int, SIZE> cases[] = {
        {appbar::kTop, {w, h / 2}}, {appbar::kBottom, {w, h / 2}}, {appbar::kFloating, {w / 2, h / 2}}};
    for (const auto& [edge, largest] : cases) {
        freshBar();
        openAt(edge);
        MINMAXINFO info{};
        send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.ptMaxTrackSize.x, largest.cx) << edge;
        EXPECT_EQ(info.ptMaxTrackSize.y, largest.cy) << edge;
        EXPECT_EQ(info.ptMinTrackSize.x, size.window.cx) << edge;
        EXPECT_EQ(info.ptMinTrackSize.y, size.window.cy) << edge;
    }
    // While dragging, the proposal counts.
    drag(POINT{w / 2, h / 2});
    ASSERT_EQ(zoneBar->proposedEdge(), appbar::kFloating);
    MINMAXINFO info{};
    send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxTrackSize.x, w / 2);
    send(WM_EXITSIZEMOVE);
}

// Docked: the close button at the left, the pin 5 pixels after it, both centred; the page
// from half a scroll bar and 5 pixels after the pin to the right end. Floating: the page only.
TEST_F(ZoneBarDragTest, Layout)
{
    openAt(appbar::kTop);
    for (const int rows : {1, 2}) {
        if (rows == 2) {
            send(WM_ENTERSIZEMOVE);
            RECT r = windowRect();
            r.bottom += rowHeight();
            SetWindowPos(bar(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
            send(WM_EXITSIZEMOVE);
        }
        const RECT client = clientRect();
        const RECT close = controlRect(IDC_BAR_CLOSE);
        const RECT pin = controlRect(IDC_BAR_PIN);
        const RECT page = controlRect(IDC_BAR_BROWSER);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(bar(), IDC_BAR_CLOSE)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(bar(), IDC_BAR_PIN)));
        EXPECT_LE(close.left, 6) << "at the left";
        EXPECT_LE(std::abs((close.top + close.bottom) - client.bottom), 1) << rows << " rows: centred";
        EXPECT_EQ(pin.left, close.right + 5);
        EXPECT_LE(std::abs((pin.top + pin.bottom) - client.bottom), 1) << rows << " rows: centred";
        EXPECT_EQ(page.left, pin.right + GetSystemMetrics(SM_CXVSCROLL) / 2 + 5);
        EXPECT_EQ(page.right, client.right);
        EXPECT_EQ(page.top, 0);
        EXPECT_EQ(page.bottom, client.bottom);
    }

    drag(POINT{400, 300});
    send(WM_EXITSIZEMOVE);
    ASSERT_EQ(state().edge, appbar::kFloating);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(bar(), IDC_BAR_CLOSE)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(bar(), IDC_BAR_PIN)));
    EXPECT_TRUE(sameRect(controlRect(IDC_BAR_BROWSER), clientRect()));
}

// Where the system drags full windows, the bar slides to its new place on its own timer
// rather than jumping there.
TEST_F(ZoneBarDragTest, SlidesWhenTheSystemDragsFullWindows)
{
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
    openAt(appbar::kTop);
    const RECT inView = windowRect();
    command(ID_BAR_AUTOHIDE, 0);
    ASSERT_TRUE(zoneBar->sliding());
    const RECT hidden{0, 2 * border().cy - minHeight(), inView.right, 2 * border().cy};
    EXPECT_TRUE(sameRect(zoneBar->targetRect(), hidden)) << rectText(zoneBar->targetRect());
    EXPECT_TRUE(sameRect(windowRect(), inView)) << "it starts where it was";

    // Each step lies on the way.
    std::vector<RECT> steps;
    ASSERT_TRUE(CMessageWindow::pumpUntil(
        [&] {
            steps.push_back(windowRect());
            return !zoneBar->sliding();
        },
        5000));
    EXPECT_TRUE(sameRect(windowRect(), hidden)) << rectText(windowRect());
    for (const RECT& r : steps) {
        EXPECT_EQ(r.bottom - r.top, minHeight());
        EXPECT_GE(r.top, hidden.top);
        EXPECT_LE(r.top, inView.top);
    }

    // Back into view the same way.
    send(WM_NCMOUSEMOVE, HTBOTTOM, MAKELPARAM(300, 1));
    EXPECT_TRUE(zoneBar->sliding());
    EXPECT_TRUE(sameRect(zoneBar->targetRect(), inView));
    ASSERT_TRUE(CMessageWindow::pumpUntil([&] { return !zoneBar->sliding(); }, 5000));
    EXPECT_TRUE(sameRect(windowRect(), inView));
}
