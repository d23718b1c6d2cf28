// Pop-ups on a real screen beside the Wine desktop's taskbar (run under Xvfb, label xvfb):
// two stacked pop-ups at the bottom taskbar, and at a taskbar on the top edge, slid out on
// their own timers; the heading strip and the text reach the screen's pixels.

#include "CFakeTaskbar.h"
#include "CPopupTestHost.h"
#include "CModule.h"
#include "GdiScope.h"
#include "UniqueHandle.h"

#include "resource.h"

#include <gtest/gtest.h>

namespace {

const wchar_t kFirstText[] = L"Stand-up meeting in room 4";
const wchar_t kSecondText[] = L"Call the garage about the winter tyres and ask whether Thursday morning still suits them";

HWND taskbarWindow() { return FindWindowW(L"Shell_TrayWnd", nullptr); }

COLORREF screenPixel(int x, int y)
{
    CScreenDc screen(GetDC(nullptr));
    return GetPixel(screen.get(), x, y);
}

class ReminderPopupDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The desktop process starts with the first program of the prefix and shows its
        // taskbar shortly after.
        ASSERT_TRUE(CMessageWindow::pumpUntil([] { return taskbarWindow() && IsWindowVisible(taskbarWindow()); }, 15000))
            << "no taskbar: these tests run under Xvfb in a Wine desktop named \"shell\"";
        heading.reset(LoadImageW(CModule::instance(), MAKEINTRESOURCEW(IDB_REMINDER_POPUP), IMAGE_BITMAP, 0, 0,
                                 LR_CREATEDIBSECTION));
        ASSERT_TRUE(heading);
    }

    // Shows two pop-ups and lets them slide out on their own timers.
    void showTwo()
    {
        first = host.popups.show(kFirstText, L"", 0);
        second = host.popups.show(kSecondText, L"", 0);
        ASSERT_EQ(first, 0);
        ASSERT_EQ(second, 1);
        ASSERT_TRUE(CMessageWindow::pumpUntil(
            [&] { return !host.popup(first).sliding() && !host.popup(second).sliding(); }, 20000));
        // Time for the last paint to reach the screen.
        CMessageWindow::pumpFor(300);
    }

    RECT rectOf(int sequence) const { return CPopupTestHost::rectOf(host.popups.window(sequence)); }

    // The pop-up's top-left pixels are the heading strip's.
    void expectHeadingOnScreen(int sequence)
    {
        const RECT rect = rectOf(sequence);
        CMemoryDc memory(CreateCompatibleDC(nullptr));
        CSelectObject selected(memory.get(), heading.get());
        for (const POINT p : {POINT{1, 1}, POINT{11, 9}, POINT{60, 4}, POINT{110, 16}}) {
            EXPECT_EQ(screenPixel(rect.left + p.x, rect.top + p.y), GetPixel(memory.get(), p.x, p.y))
                << "pop-up " << sequence << " at " << p.x << ", " << p.y;
        }
    }

    // Pixels of the text area's first line that differ from the pop-up's background.
    int inkOfFirstLine(int sequence) const
    {
        const RECT rect = rectOf(sequence);
        const COLORREF background = GetSysColor(COLOR_INFOBK);
        CScreenDc screen(GetDC(nullptr));
        int inked = 0;
        for (int y = rect.top + 22; y < rect.top + 40; ++y)
            for (int x = rect.left + 5; x < rect.left + 212; ++x)
                inked += GetPixel(screen.get(), x, y) != background;
        return inked;
    }

    void expectTextOnScreen(int sequence) { EXPECT_GT(inkOfFirstLine(sequence), 30) << "pop-up " << sequence; }

    // Nothing covers the pop-up: the window under its text is the pop-up itself.
    void expectOnTop(int sequence)
    {
        const RECT rect = rectOf(sequence);
        const POINT inside{rect.left + 60, rect.top + 40};
        EXPECT_EQ(WindowFromPoint(inside), host.popups.window(sequence)) << "pop-up " << sequence;
    }

    CGdiObject heading;
    CPopupTestHost host;
    int first = -1;
    int second = -1;
};

} // namespace

TEST_F(ReminderPopupDisplayTest, TwoStackedAboveTheBottomTaskbar)
{
    RECT bar{};
    GetWindowRect(taskbarWindow(), &bar);
    ASSERT_GT(bar.top, 0) << "the Wine desktop's taskbar is at the bottom";
    showTwo();
    const RECT area = CPopupTestHost::workArea();
    const RECT a = rectOf(first);
    const RECT b = rectOf(second);
    EXPECT_EQ(a.right, area.right);
    EXPECT_EQ(a.bottom, area.bottom);
    EXPECT_LE(a.bottom, bar.top) << "clear of the taskbar";
    EXPECT_EQ(b.left, a.left);
    EXPECT_EQ(b.bottom, a.top);
    EXPECT_GT(b.bottom - b.top, a.bottom - a.top) << "the longer text is taller";
    for (int sequence : {first, second}) {
        expectOnTop(sequence);
        expectHeadingOnScreen(sequence);
        expectTextOnScreen(sequence);
    }
}

TEST_F(ReminderPopupDisplayTest, TwoStackedBelowATopTaskbar)
{
    // Our own taskbar window on the top edge; being topmost and newer, it is the one found.
    CFakeTaskbar top(CFakeTaskbar::alongTop());
    ASSERT_EQ(taskbarWindow(), top.hwnd());
    showTwo();
    const RECT area = CPopupTestHost::workArea();
    const RECT a = rectOf(first);
    const RECT b = rectOf(second);
    EXPECT_EQ(a.right, area.right);
    EXPECT_EQ(a.top, area.top);
    EXPECT_EQ(b.left, a.left);
    EXPECT_EQ(b.top, a.bottom);
    for (int sequence : {first, second}) {
        expectOnTop(sequence);
        expectHeadingOnScreen(sequence);
        expectTextOnScreen(sequence);
    }
}

TEST_F(ReminderPopupDisplayTest, ClosingTheLowerOneMovesTheOtherIntoTheCorner)
{
    showTwo();
    const RECT area = CPopupTestHost::workArea();
    SendMessageW(host.popups.window(first), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 40));
    ASSERT_TRUE(host.waitForCloses(1));
    CMessageWindow::pumpFor(300);
    const RECT b = rectOf(second);
    EXPECT_EQ(b.bottom, area.bottom);
    EXPECT_EQ(b.right, area.right);
    expectOnTop(second);
    expectHeadingOnScreen(second);
}

TEST_F(ReminderPopupDisplayTest, TheTextTurnsBoldUnderTheMouse)
{
    showTwo();
    HWND window = host.popups.window(first);
    ASSERT_TRUE(host.popup(first).boldFits());
    const int normal = inkOfFirstLine(first);
    // Painted at once, before the system's leave notice (the real cursor is elsewhere) arrives.
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(60, 40));
    UpdateWindow(window);
    ASSERT_TRUE(host.popup(first).hot());
    const int bold = inkOfFirstLine(first);
    EXPECT_GT(bold, normal + normal / 10);
    SendMessageW(window, WM_MOUSELEAVE, 0, 0);
    UpdateWindow(window);
    EXPECT_EQ(inkOfFirstLine(first), normal);
}
