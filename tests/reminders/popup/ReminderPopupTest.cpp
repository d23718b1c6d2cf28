// The pop-up windows and their list, with the null graphics driver: the window's class,
// styles, buttons and height, the slide, the messages its buttons and a click send, sequence
// numbers, placement for the taskbar found on each edge, and re-placement when one closes.

#include "CFakeTaskbar.h"
#include "CPopupTestHost.h"
#include "GdiScope.h"
#include "UniqueHandle.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <sstream>
#include <string>

namespace {

const wchar_t kShortText[] = L"Call Anna";
const wchar_t kLongText[] =
    L"Take the minutes of the budget meeting to the third floor and ask for the signed copies of the contract";

std::string text(const RECT& r)
{
    std::ostringstream out;
    out << '(' << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ')';
    return out.str();
}

// A child's rectangle in its parent's client coordinates.
RECT childRect(HWND child)
{
    RECT rect = CPopupTestHost::rectOf(child);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring windowText(HWND window)
{
    wchar_t buffer[128] = {};
    GetWindowTextW(window, buffer, 128);
    return buffer;
}

// The line height of the pop-up's text font, made here as a user would ask for it.
int verdanaLineHeight()
{
    CScreenDc screen(GetDC(nullptr));
    const int height = -MulDiv(10, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
    CGdiObject font(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Verdana"));
    CSelectObject selected(screen.get(), font.get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.get(), &metrics);
    return metrics.tmHeight;
}

class ReminderPopupTest : public ::testing::Test {
protected:
    // A taskbar at the bottom unless a test asks otherwise: the null driver has none.
    void SetUp() override { useTaskbar(CFakeTaskbar::alongBottom()); }

    void useTaskbar(const RECT& rect)
    {
        taskbar.reset();
        taskbar = std::make_unique<CFakeTaskbar>(rect);
        ASSERT_NE(taskbar->hwnd(), nullptr);
        ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", nullptr), taskbar->hwnd());
    }

    int show(const wchar_t* text = kShortText, const wchar_t* sound = L"C:\\Sounds\\bell.wav", int repeat = 2)
    {
        // Temporaries: the list keeps copies.
        return host.popups.show(std::wstring(text), std::wstring(sound), repeat);
    }

    HWND windowOf(int sequence) const { return host.popups.window(sequence); }
    RECT rectOf(int sequence) const { return CPopupTestHost::rectOf(windowOf(sequence)); }

    std::unique_ptr<CFakeTaskbar> taskbar;
    CPopupTestHost host;
};

} // namespace

TEST_F(ReminderPopupTest, FramelessTopmostToolWindowWithTheHandCursor)
{
    const int sequence = show();
    ASSERT_EQ(sequence, 0);
    HWND window = windowOf(sequence);
    ASSERT_NE(window, nullptr);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    EXPECT_STREQ(className, CReminderPopup::kClassName);

    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetClassLongPtrW(window, GCLP_HCURSOR), reinterpret_cast<LONG_PTR>(LoadCursor(nullptr, IDC_HAND)));
    // The keyboard stays with the program the user is in.
    EXPECT_NE(GetActiveWindow(), window);

    host.finishSlide(sequence);
    const RECT rect = rectOf(sequence);
    EXPECT_EQ(rect.right - rect.left, 217);
    // No frame: client and window coordinates are the same.
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 217);
    EXPECT_EQ(client.bottom, rect.bottom - rect.top);
}

TEST_F(ReminderPopupTest, TwoButtonsAcrossTheHeadingInTheSmallFont)
{
    HWND window = windowOf(show());
    struct ButtonCase {
        int id;
        const wchar_t* text;
        RECT rect;
    };
    CScreenDc screen(GetDC(nullptr));
    const int sevenPoints = MulDiv(7, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
    for (const ButtonCase& c : {ButtonCase{CReminderPopup::kSnoozeButtonId, L"5 min. Snooze", {116, 0, 191, 19}},
                                ButtonCase{CReminderPopup::kOffButtonId, L"Off", {191, 0, 213, 19}}}) {
        HWND button = GetDlgItem(window, c.id);
        ASSERT_NE(button, nullptr) << "button " << c.id;
        EXPECT_EQ(windowText(button), c.text);
        const RECT rect = childRect(button);
        EXPECT_TRUE(EqualRect(&rect, &c.rect)) << "button " << c.id << " at " << text(rect);
        LOGFONTW font{};
        ASSERT_TRUE(GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)), sizeof font, &font));
        EXPECT_EQ(-font.lfHeight, sevenPoints) << "button " << c.id;
    }
}

TEST_F(ReminderPopupTest, HeightHoldsTheWrappedTextWithSixtyTwoAtLeast)
{
    const int line = verdanaLineHeight();
    ASSERT_GT(line, 8);
    struct HeightCase {
        const wchar_t* text;
        int minLines; // 0: the minimum height
    };
    // 96 characters without a space: the word breaks at the width rather than run past it.
    std::wstring unbroken = L"C:\\Documents\\Reminders\\";
    unbroken.append(73, L'x');
    for (const HeightCase& c : {HeightCase{kShortText, 0}, HeightCase{L"", 0}, HeightCase{kLongText, 3},
                                HeightCase{unbroken.c_str(), 3}}) {
        const int sequence = show(c.text);
        const int height = host.popup(sequence).height();
        if (c.minLines == 0) {
            EXPECT_EQ(height, 62) << "text \"" << testing::PrintToString(std::wstring(c.text)) << "\"";
        } else {
            // Whole lines of the 10-point font, plus the heading and margins.
            EXPECT_EQ((height - 30) % line, 0) << "height " << height << ", line " << line;
            EXPECT_GE((height - 30) / line, c.minLines) << "height " << height << ", line " << line;
        }
        host.finishSlide(sequence);
        EXPECT_EQ(rectOf(sequence).bottom - rectOf(sequence).top, height);
    }
}

struct SlideCase {
    const char* label;
    RECT (*taskbar)();
    bool fromTop; // the pop-up's top edge stays put; else its bottom edge
};

void PrintTo(const SlideCase& c, std::ostream* os) { *os << c.label; }

class ReminderPopupSlideTest : public ReminderPopupTest, public ::testing::WithParamInterface<SlideCase> {};

TEST_P(ReminderPopupSlideTest, GrowsOneRowPerTimerStepFromTheTaskbarsSide)
{
    const SlideCase& c = GetParam();
    useTaskbar(c.taskbar());
    const int sequence = show(kLongText);
    HWND window = windowOf(sequence);
    const CReminderPopup& popup = host.popup(sequence);
    const RECT target = popup.slot().rect;
    ASSERT_EQ(target.bottom - target.top, popup.height());
    const int anchor = c.fromTop ? target.top : target.bottom;
    auto edgeAtTaskbar = [&](const RECT& r) { return c.fromTop ? r.top : r.bottom; };

    RECT rect = CPopupTestHost::rectOf(window);
    EXPECT_EQ(rect.bottom - rect.top, 0);
    EXPECT_EQ(edgeAtTaskbar(rect), anchor);
    EXPECT_EQ(rect.left, target.left);
    EXPECT_TRUE(popup.sliding());

    for (int step = 1; step <= popup.height(); ++step) {
        SendMessageW(window, WM_TIMER, IDT_POPUP_SLIDE, 0);
        rect = CPopupTestHost::rectOf(window);
        ASSERT_EQ(rect.bottom - rect.top, step);
        ASSERT_EQ(edgeAtTaskbar(rect), anchor) << "step " << step;
    }
    EXPECT_TRUE(EqualRect(&rect, &target)) << text(rect) << " instead of " << text(target);
    EXPECT_FALSE(popup.sliding());
    // The timer is gone, and a late step changes nothing.
    EXPECT_FALSE(KillTimer(window, IDT_POPUP_SLIDE));
    SendMessageW(window, WM_TIMER, IDT_POPUP_SLIDE, 0);
    rect = CPopupTestHost::rectOf(window);
    EXPECT_TRUE(EqualRect(&rect, &target));
}

INSTANTIATE_TEST_SUITE_P(Edges, ReminderPopupSlideTest,
                         ::testing::Values(SlideCase{"bottom", &CFakeTaskbar::alongBottom, false},
                                           SlideCase{"top", &CFakeTaskbar::alongTop, true},
                                           SlideCase{"left", &CFakeTaskbar::alongLeft, false}),
                         [](const ::testing::TestParamInfo<SlideCase>& info) { return std::string(info.param.label); });

TEST_F(ReminderPopupTest, TheSlideRunsOnItsOwnTimer)
{
    const int sequence = show();
    EXPECT_TRUE(CMessageWindow::pumpUntil([&] { return !host.popup(sequence).sliding(); }, 10000));
    const RECT rect = rectOf(sequence);
    EXPECT_EQ(rect.bottom - rect.top, 62);
}

struct CloseCase {
    const char* label;
    UINT message;
    WPARAM wParam;
    LPARAM clickAt; // a WM_LBUTTONDOWN's point
    bool snoozed;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.label; }

class ReminderPopupCloseTest : public ReminderPopupTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ReminderPopupCloseTest, ClosesAndReportsItsSequenceNumber)
{
    const CloseCase& c = GetParam();
    show(L"first");
    const int sequence = show(L"Water the plants", L"C:\\Sounds\\chime.wav", 5);
    ASSERT_EQ(sequence, 1);
    HWND window = windowOf(sequence);
    HWND sender = c.message == WM_COMMAND ? GetDlgItem(window, static_cast<int>(LOWORD(c.wParam))) : nullptr;
    SendMessageW(window, c.message, c.wParam, c.message == WM_COMMAND ? reinterpret_cast<LPARAM>(sender) : c.clickAt);
    EXPECT_FALSE(IsWindow(window));

    ASSERT_TRUE(host.waitForCloses(1));
    const auto snoozes = host.main.messagesOf(WM_REMINDER_SNOOZE);
    const auto closes = host.main.messagesOf(WM_REMINDER_CLOSED);
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].wParam, 1u);
    if (c.snoozed) {
        ASSERT_EQ(snoozes.size(), 1u);
        EXPECT_EQ(snoozes[0].wParam, 1u);
        EXPECT_EQ(host.main.messages().front().message, static_cast<UINT>(WM_REMINDER_SNOOZE)) << "snooze first";
    } else {
        EXPECT_TRUE(snoozes.empty());
    }

    const CReminderPopups::Closed& closed = host.closed.at(0);
    EXPECT_TRUE(closed.found);
    EXPECT_EQ(closed.snoozed, c.snoozed);
    EXPECT_EQ(closed.text, L"Water the plants");
    EXPECT_EQ(closed.soundFile, L"C:\\Sounds\\chime.wav");
    EXPECT_EQ(closed.soundRepeat, 5);
    EXPECT_EQ(host.popups.count(), 1u);
    EXPECT_EQ(host.popups.window(1), nullptr);
    EXPECT_NE(host.popups.window(0), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ReminderPopupCloseTest,
    ::testing::Values(CloseCase{"snooze_button", WM_COMMAND, MAKEWPARAM(CReminderPopup::kSnoozeButtonId, BN_CLICKED), 0, true},
                      CloseCase{"off_button", WM_COMMAND, MAKEWPARAM(CReminderPopup::kOffButtonId, BN_CLICKED), 0, false},
                      CloseCase{"click_on_the_text", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 40), false},
                      CloseCase{"click_on_the_heading", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 8), false}),
    [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.label); });

TEST_F(ReminderPopupTest, OtherCommandsAndButtonNotificationsLeaveItOpen)
{
    const int sequence = show();
    HWND window = windowOf(sequence);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(CReminderPopup::kOffButtonId, BN_SETFOCUS), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(77, BN_CLICKED), 0);
    SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 40));
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(50, 40));
    EXPECT_TRUE(IsWindow(window));
    CMessageWindow::pumpFor(50);
    EXPECT_TRUE(host.main.messages().empty());
}

TEST_F(ReminderPopupTest, SequenceFollowsTheLastOpenPopupAndStartsAtZero)
{
    EXPECT_EQ(show(), 0);
    EXPECT_EQ(show(), 1);
    EXPECT_EQ(show(), 2);
    DestroyWindow(windowOf(1));
    ASSERT_TRUE(host.waitForCloses(1));
    EXPECT_EQ(show(), 3);
    // The last one closes: the next takes its number again.
    DestroyWindow(windowOf(3));
    ASSERT_TRUE(host.waitForCloses(2));
    EXPECT_EQ(show(), 3);
    host.popups.closeAll();
    EXPECT_EQ(show(), 0);
}

TEST_F(ReminderPopupTest, SnoozeOfAnotherNumberMarksNothing)
{
    show();
    host.popups.onSnooze(7);
    DestroyWindow(windowOf(0));
    ASSERT_TRUE(host.waitForCloses(1));
    EXPECT_FALSE(host.closed.at(0).snoozed);
    EXPECT_FALSE(host.popups.onClosed(0).found);
}

// --- Placement for the taskbar the system shows ---

struct EdgePlaceCase {
    const char* label;
    RECT (*taskbar)(); // null: no taskbar window at all
    bool atLeft;       // the first pop-up's left is the work area's left (else its right is the right)
    bool atTop;        // its top is the work area's top (else its bottom is the bottom)
};

void PrintTo(const EdgePlaceCase& c, std::ostream* os) { *os << c.label; }

class ReminderPopupEdgeTest : public ReminderPopupTest, public ::testing::WithParamInterface<EdgePlaceCase> {};

TEST_P(ReminderPopupEdgeTest, FirstAtTheCornerAndTheSecondStackedAwayFromTheTaskbar)
{
    const EdgePlaceCase& c = GetParam();
    if (c.taskbar) {
        useTaskbar(c.taskbar());
    } else {
        taskbar.reset();
        ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", nullptr), nullptr);
        // The null driver's work area is the whole screen: the work-area rule gives the right edge.
        const RECT area = CPopupTestHost::workArea();
        ASSERT_EQ(area.bottom, GetSystemMetrics(SM_CYSCREEN));
    }
    const RECT area = CPopupTestHost::workArea();
    const int first = show();
    const int second = show(kLongText);
    host.finishSlide(first);
    host.finishSlide(second);
    const RECT a = rectOf(first);
    const RECT b = rectOf(second);

    if (c.atLeft)
        EXPECT_EQ(a.left, area.left);
    else
        EXPECT_EQ(a.right, area.right);
    if (c.atTop)
        EXPECT_EQ(a.top, area.top);
    else
        EXPECT_EQ(a.bottom, area.bottom);
    EXPECT_EQ(b.left, a.left);
    if (c.atTop)
        EXPECT_EQ(b.top, a.bottom) << "directly below";
    else
        EXPECT_EQ(b.bottom, a.top) << "directly above";
    EXPECT_EQ(b.bottom - b.top, host.popup(second).height());
}

INSTANTIATE_TEST_SUITE_P(Taskbars, ReminderPopupEdgeTest,
                         ::testing::Values(EdgePlaceCase{"bottom", &CFakeTaskbar::alongBottom, false, false},
                                           EdgePlaceCase{"right", &CFakeTaskbar::alongRight, false, false},
                                           EdgePlaceCase{"left", &CFakeTaskbar::alongLeft, true, false},
                                           EdgePlaceCase{"top", &CFakeTaskbar::alongTop, false, true},
                                           EdgePlaceCase{"none", nullptr, false, false}),
                         [](const ::testing::TestParamInfo<EdgePlaceCase>& info) {
                             return std::string(info.param.label);
                         });

TEST_F(ReminderPopupTest, AFullColumnStartsANewOneToTheLeft)
{
    const RECT area = CPopupTestHost::workArea();
    int last = -1;
    int firstInNewColumn = -1;
    // Enough tall pop-ups to pass the top of the work area.
    for (int i = 0; i < 40 && firstInNewColumn < 0; ++i) {
        last = show(kLongText);
        host.finishSlide(last);
        if (rectOf(last).right != area.right)
            firstInNewColumn = last;
    }
    ASSERT_GT(firstInNewColumn, 0);
    const RECT below = rectOf(firstInNewColumn - 1);
    const RECT fresh = rectOf(firstInNewColumn);
    EXPECT_LT(below.top - (fresh.bottom - fresh.top), area.top) << "the column was full";
    EXPECT_EQ(fresh.right, area.right - 217);
    EXPECT_EQ(fresh.bottom, area.bottom);
}

// --- Re-placement ---

TEST_F(ReminderPopupTest, WhenTheFirstOfTwoClosesTheSecondMovesDownToTheCorner)
{
    const RECT area = CPopupTestHost::workArea();
    const int first = show();
    const int second = show(kLongText);
    host.finishSlide(first);
    host.finishSlide(second);
    ASSERT_EQ(rectOf(second).bottom, rectOf(first).top);

    SendMessageW(windowOf(first), WM_COMMAND, MAKEWPARAM(CReminderPopup::kOffButtonId, BN_CLICKED), 0);
    ASSERT_TRUE(host.waitForCloses(1));
    ASSERT_EQ(host.popups.count(), 1u);
    const RECT moved = rectOf(second);
    EXPECT_EQ(moved.bottom, area.bottom);
    EXPECT_EQ(moved.right, area.right);
    EXPECT_EQ(moved.bottom - moved.top, host.popup(second).height());
}

TEST_F(ReminderPopupTest, AtATopTaskbarTheLaterOnesMoveUpIntoTheGap)
{
    useTaskbar(CFakeTaskbar::alongTop());
    const RECT area = CPopupTestHost::workArea();
    const int first = show();
    const int middle = show(kLongText);
    const int third = show();
    const int fourth = show(kLongText);
    for (int s : {first, middle, third, fourth})
        host.finishSlide(s);
    const RECT before = rectOf(first);

    DestroyWindow(windowOf(middle));
    ASSERT_TRUE(host.waitForCloses(1));
    const RECT after = rectOf(first);
    EXPECT_TRUE(EqualRect(&before, &after)) << "earlier pop-ups stay";
    EXPECT_EQ(before.top, area.top);
    EXPECT_EQ(rectOf(third).top, before.bottom);
    EXPECT_EQ(rectOf(fourth).top, rectOf(third).bottom);
    EXPECT_EQ(rectOf(fourth).left, before.left);
}

TEST_F(ReminderPopupTest, APopupStillSlidingGoesOnSlidingAtItsNewPlace)
{
    const RECT area = CPopupTestHost::workArea();
    const int first = show();
    const int second = show();
    host.finishSlide(first);
    for (int step = 0; step < 20; ++step)
        SendMessageW(windowOf(second), WM_TIMER, IDT_POPUP_SLIDE, 0);

    DestroyWindow(windowOf(first));
    ASSERT_TRUE(host.waitForCloses(1));
    // Waiting for the close lets the slide's own timer run a few more steps.
    RECT rect = rectOf(second);
    EXPECT_EQ(rect.bottom, area.bottom);
    EXPECT_GE(rect.bottom - rect.top, 20);
    EXPECT_EQ(rect.bottom - rect.top, host.popup(second).shownRows());
    host.finishSlide(second);
    rect = rectOf(second);
    EXPECT_EQ(rect.bottom, area.bottom);
    EXPECT_EQ(rect.bottom - rect.top, 62);
}

TEST_F(ReminderPopupTest, CloseAllEmptiesTheListAtOnceAndReportsNothing)
{
    const int first = show();
    const int second = show();
    HWND a = windowOf(first);
    HWND b = windowOf(second);
    host.popups.closeAll();
    EXPECT_EQ(host.popups.count(), 0u);
    EXPECT_FALSE(IsWindow(a));
    EXPECT_FALSE(IsWindow(b));
    // The list let them go itself: nothing is reported that could meet a later pop-up of the
    // same number.
    CMessageWindow::pumpFor(50);
    EXPECT_EQ(host.main.count(WM_REMINDER_CLOSED), 0u);
    EXPECT_EQ(show(), 0);
    EXPECT_EQ(host.popups.count(), 1u);
}

TEST_F(ReminderPopupTest, AReportedCloseOfAnOpenPopupTakesItsWindowDownQuietly)
{
    const int first = show();
    const int second = show();
    HWND window = windowOf(first);
    const CReminderPopups::Closed closed = host.popups.onClosed(first);
    EXPECT_TRUE(closed.found);
    EXPECT_FALSE(IsWindow(window));
    CMessageWindow::pumpFor(50);
    EXPECT_EQ(host.main.count(WM_REMINDER_CLOSED), 0u);
    ASSERT_EQ(host.popups.count(), 1u);
    EXPECT_NE(windowOf(second), nullptr);
}
