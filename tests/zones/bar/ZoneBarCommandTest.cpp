// The bar's commands and the shell's notifications: the context menu and the pin, closing
// by the user and by the application, applySettings, the drawn buttons, and the shell's
// "AppBarNotify" messages.

#include "CBarButtonPainter.h"
#include "CMessageWindow.h"
#include "CModule.h"
#include "CZoneBarTest.h"
#include "GdiScope.h"
#include "UniqueHandle.h"
#include "ZoneBarSettings.h"

#include "resource.h"

#include <string>

namespace {

struct MenuItem {
    UINT id;
    UINT type;
    std::wstring text;
    bool checked;
};

std::vector<MenuItem> itemsOf(HMENU menu)
{
    std::vector<MenuItem> items;
    for (int k = 0; k < GetMenuItemCount(menu); ++k) {
        wchar_t text[64] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 64;
        GetMenuItemInfoW(menu, static_cast<UINT>(k), TRUE, &info);
        items.push_back(MenuItem{info.wID, info.fType, text, (info.fState & MFS_CHECKED) != 0});
    }
    return items;
}

// A 32-bit picture of `size` pixels to draw into.
class CCanvas {
public:
    explicit CCanvas(SIZE size) : m_size(size)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size.cx;
        info.bmiHeader.biHeight = -size.cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_dc.reset(CreateCompatibleDC(nullptr));
        m_selected.emplace(m_dc.get(), m_bitmap.get());
    }
    HDC dc() const { return m_dc.get(); }
    COLORREF at(int x, int y) const { return GetPixel(m_dc.get(), x, y); }
    RECT rect() const { return RECT{0, 0, m_size.cx, m_size.cy}; }

private:
    SIZE m_size;
    CGdiObject m_bitmap;
    CMemoryDc m_dc;
    std::optional<CSelectObject> m_selected;
};

} // namespace

class ZoneBarCommandTest : public CZoneBarTest {
protected:
    // The bar's WM_DRAWITEM for control `id` into `canvas`.
    void drawItem(int id, const CCanvas& canvas)
    {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = static_cast<UINT>(id);
        item.itemAction = ODA_DRAWENTIRE;
        item.hwndItem = GetDlgItem(bar(), id);
        item.hDC = canvas.dc();
        item.rcItem = canvas.rect();
        send(WM_DRAWITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&item));
    }
};

TEST_F(ZoneBarCommandTest, ContextMenuShowsTheSwitches)
{
    openBar();
    struct Case {
        bool autoHide;
        bool alwaysOnTop;
    };
    for (const Case c : {Case{false, true}, Case{true, true}, Case{true, false}, Case{false, false}}) {
        if (state().autoHide != c.autoHide)
            command(ID_BAR_AUTOHIDE, 0);
        if (state().alwaysOnTop != c.alwaysOnTop)
            command(ID_BAR_ALWAYS_ON_TOP, 0);
        const CMenu menu = zoneBar->contextMenu();
        ASSERT_TRUE(menu);
        const auto items = itemsOf(GetSubMenu(menu.get(), 0));
        ASSERT_EQ(items.size(), 4u);
        EXPECT_EQ(items[0].id, static_cast<UINT>(ID_BAR_ALWAYS_ON_TOP));
        EXPECT_EQ(items[0].text, L"Always on top");
        EXPECT_EQ(items[0].checked, c.alwaysOnTop);
        EXPECT_EQ(items[1].id, static_cast<UINT>(ID_BAR_AUTOHIDE));
        EXPECT_EQ(items[1].text, L"Autohide");
        EXPECT_EQ(items[1].checked, c.autoHide);
        EXPECT_NE(items[2].type & MFT_SEPARATOR, 0u);
        EXPECT_EQ(items[3].id, static_cast<UINT>(ID_BAR_CLOSE));
        EXPECT_EQ(items[3].text, L"&Close");
    }
}

// Each switch flips, is stored at once and takes effect: the z-order, or the bar sliding
// out of view.
TEST_F(ZoneBarCommandTest, SwitchesAreStoredAndApplied)
{
    struct Case {
        UINT id;
        UINT code;
        const wchar_t* setting;
        bool autoHide; // which switch the command flips
    };
    const Case cases[] = {
        {ID_BAR_ALWAYS_ON_TOP, 0, L"TimeZoneBarAlwaysOnTop", false},
        {ID_BAR_AUTOHIDE, 0, L"TimeZoneBarAutoHide", true},
        {IDC_BAR_PIN, BN_CLICKED, L"TimeZoneBarAutoHide", true},
    };
    for (const Case& c : cases) {
        freshBar();
        openBar();
        for (int round = 0; round < 2; ++round) {
            const bool before = c.autoHide ? state().autoHide : state().alwaysOnTop;
            command(c.id, c.code);
            const bool after = c.autoHide ? state().autoHide : state().alwaysOnTop;
            EXPECT_NE(after, before) << c.id;
            EXPECT_EQ(storedDword(c.setting), after ? 1u : 0u) << c.id;
            if (c.autoHide) {
                EXPECT_EQ(zoneBar->outOfView(), after) << c.id;
                EXPECT_EQ(windowRect().bottom, after ? 2 * border().cy : minHeight()) << c.id;
                EXPECT_EQ(shell.autoHideBar(ABE_TOP) == bar(), after) << c.id;
            } else {
                EXPECT_EQ(topmost(), after) << c.id;
            }
        }
    }
}

// The pin: icon 153 on the light face while auto-hide is on, icon 154 on the highlight face
// while it is off.
TEST_F(ZoneBarCommandTest, PinShowsTheSwitch)
{
    openBar();
    const RECT pin = controlRect(IDC_BAR_PIN);
    const SIZE size{pin.right - pin.left, pin.bottom - pin.top};
    ASSERT_GE(size.cx, 18);
    ASSERT_GE(size.cy, 18);
    for (const bool autoHide : {false, true}) {
        if (state().autoHide != autoHide)
            command(IDC_BAR_PIN);
        CCanvas drawn(size);
        drawItem(IDC_BAR_PIN, drawn);

        const COLORREF face = autoHide ? CBarButtonPainter::pinnedFace() : CBarButtonPainter::unpinnedFace();
        EXPECT_EQ(drawn.at(2, size.cy - 3), face) << autoHide;
        EXPECT_EQ(drawn.at(size.cx - 3, 2), face) << autoHide;

        // The icon's pixels are those of the right icon drawn over the same face.
        CIcon icon(static_cast<HICON>(LoadImageW(CModule::instance(), MAKEINTRESOURCEW(autoHide ? IDI_PIN_IN : IDI_PIN_OUT),
                                                 IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
        ASSERT_TRUE(icon);
        CCanvas expected(SIZE{16, 16});
        CGdiObject brush(CreateSolidBrush(face));
        const RECT all = expected.rect();
        FillRect(expected.dc(), &all, static_cast<HBRUSH>(brush.get()));
        DrawIconEx(expected.dc(), 0, 0, icon.get(), 16, 16, 0, nullptr, DI_NORMAL);
        const int left = (size.cx - 16) / 2, top = (size.cy - 16) / 2;
        int differing = 0, inked = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                differing += drawn.at(left + x, top + y) != expected.at(x, y);
                inked += expected.at(x, y) != face;
            }
        EXPECT_EQ(differing, 0) << autoHide;
        EXPECT_GT(inked, 40) << "the pin is drawn";
        // The pin's red head: upright (pushed in) or lying on its side, never both.
        const COLORREF head = RGB(206, 48, 40);
        const POINT upright{left + 8, top + 2}, lying{left + 14, top + 8};
        EXPECT_EQ(drawn.at(autoHide ? upright.x : lying.x, autoHide ? upright.y : lying.y), head) << autoHide;
        EXPECT_NE(drawn.at(autoHide ? lying.x : upright.x, autoHide ? lying.y : upright.y), head) << autoHide;
    }
}

TEST_F(ZoneBarCommandTest, CloseButtonShowsMarlettsCross)
{
    openBar();
    const RECT close = controlRect(IDC_BAR_CLOSE);
    const SIZE size{close.right - close.left, close.bottom - close.top};
    CCanvas drawn(size);
    drawItem(IDC_BAR_CLOSE, drawn);
    // The cross: dark on the face along both diagonals of the middle, not at the corners of
    // the face.
    const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
    const int cx = size.cx / 2, cy = size.cy / 2;
    int onCross = 0;
    for (int d = -2; d <= 2; ++d)
        onCross += (drawn.at(cx + d, cy + d) == ink) + (drawn.at(cx + d, cy - d) == ink);
    EXPECT_GE(onCross, 6);
    EXPECT_NE(drawn.at(3, 3), ink);
    EXPECT_NE(drawn.at(size.cx - 4, cy), ink);
}

// The user closes it (button, menu, system close): "TimeZoneBar" = 0 and the state is stored.
TEST_F(ZoneBarCommandTest, ClosedByTheUser)
{
    enum How { kButton, kMenu, kClose, kSysCommand };
    const std::pair<How, const char*> cases[] = {
        {kButton, "close button"}, {kMenu, "menu"}, {kClose, "WM_CLOSE"}, {kSysCommand, "SC_CLOSE"}};
    for (const auto& [how, what] : cases) {
        freshBar();
        storeDword(L"TimeZoneBar", 1);
        openBar();
        command(ID_BAR_ALWAYS_ON_TOP, 0); // something to store
        const AppBarState last = state();
        const HWND window = bar();
        switch (how) {
        case kButton: command(IDC_BAR_CLOSE); break;
        case kMenu: command(ID_BAR_CLOSE, 0); break;
        case kClose: send(WM_CLOSE); break;
        case kSysCommand: send(WM_SYSCOMMAND, SC_CLOSE); break;
        }
        EXPECT_FALSE(IsWindow(window)) << what;
        EXPECT_EQ(bar(), nullptr) << what;
        EXPECT_EQ(closings, std::vector<bool>{true}) << what;
        EXPECT_EQ(storedDword(L"TimeZoneBar"), 0u) << what;
        const auto data = storedData();
        ASSERT_TRUE(data) << what;
        const auto expected = last.toBytes();
        EXPECT_EQ(*data, std::vector<BYTE>(expected.begin(), expected.end())) << what;
        EXPECT_FALSE(shell.registered(window)) << what;
        EXPECT_EQ(shell.last(ABM_REMOVE)->window, window) << what;
    }
}

TEST_F(ZoneBarCommandTest, ClosedByTheApplication)
{
    storeDword(L"TimeZoneBar", 1);
    openBar();
    command(ID_BAR_AUTOHIDE, 0);
    const HWND window = bar();
    const AppBarState last = state();
    zoneBar->close(false);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(closings, std::vector<bool>{false});
    EXPECT_EQ(storedDword(L"TimeZoneBar"), 1u);
    const auto data = storedData();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->size(), 48u);
    EXPECT_EQ(AppBarState::fromBytes(data->data(), data->size(), AppBarState{}), last);
    EXPECT_FALSE(shell.registered(window));
    EXPECT_EQ(shell.autoHideBar(ABE_TOP), nullptr) << "the edge is free again";

    // Closing again does nothing; opening again brings the stored state back.
    zoneBar->close(true);
    EXPECT_EQ(closings.size(), 1u);
    ASSERT_TRUE(zoneBar->open(nullptr));
    EXPECT_TRUE(state().autoHide);
    EXPECT_TRUE(shell.registered(bar()));
}

TEST_F(ZoneBarCommandTest, DestroyedWithItsOwner)
{
    auto owner = std::make_unique<CMessageWindow>();
    storeDword(L"TimeZoneBar", 1);
    ASSERT_TRUE(zoneBar->open(owner->hwnd()));
    const HWND window = bar();
    EXPECT_EQ(GetWindow(window, GW_OWNER), owner->hwnd());
    owner.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(closings, std::vector<bool>{false});
    EXPECT_EQ(storedDword(L"TimeZoneBar"), 1u);
    EXPECT_TRUE(storedData());
    EXPECT_FALSE(shell.registered(window));
}

// Each stored switch that differs from the bar is taken as from the menu; an unchanged one
// leaves the bar alone.
TEST_F(ZoneBarCommandTest, ApplySettings)
{
    openBar();
    struct Case {
        DWORD autoHide;
        DWORD alwaysOnTop;
    };
    for (const Case c : {Case{0, 1}, Case{1, 1}, Case{1, 0}, Case{0, 0}, Case{0, 0}}) {
        const bool changes = (c.autoHide != 0) != state().autoHide || (c.alwaysOnTop != 0) != state().alwaysOnTop;
        storeDword(L"TimeZoneBarAutoHide", c.autoHide);
        storeDword(L"TimeZoneBarAlwaysOnTop", c.alwaysOnTop);
        shell.clearCalls();
        zoneBar->applySettings();
        EXPECT_EQ(state().autoHide, c.autoHide != 0);
        EXPECT_EQ(state().alwaysOnTop, c.alwaysOnTop != 0);
        EXPECT_EQ(topmost(), c.alwaysOnTop != 0);
        EXPECT_EQ(zoneBar->outOfView(), c.autoHide != 0);
        EXPECT_EQ(shell.count(ABM_SETPOS) != 0, changes) << c.autoHide << c.alwaysOnTop;
    }
}

// A full-screen program puts an always-on-top bar at the bottom of the z-order until it ends.
TEST_F(ZoneBarCommandTest, FullScreenProgram)
{
    openBar();
    ASSERT_TRUE(topmost());
    notify(ABN_FULLSCREENAPP, TRUE);
    EXPECT_TRUE(zoneBar->fullScreenAppOpen());
    EXPECT_FALSE(topmost());
    EXPECT_EQ(GetWindow(bar(), GW_HWNDNEXT), nullptr) << "last in the z-order";
    notify(ABN_FULLSCREENAPP, FALSE);
    EXPECT_FALSE(zoneBar->fullScreenAppOpen());
    EXPECT_TRUE(topmost());

    // Not on top: it stays an ordinary window either way.
    command(ID_BAR_ALWAYS_ON_TOP, 0);
    notify(ABN_FULLSCREENAPP, TRUE);
    EXPECT_FALSE(topmost());
    EXPECT_NE(GetWindow(bar(), GW_HWNDNEXT), nullptr);
}

// The bar follows the taskbar's switches that changed, and stores them as the user's.
TEST_F(ZoneBarCommandTest, TaskbarStateChange)
{
    shell.taskbarState = ABS_ALWAYSONTOP;
    openBar();
    struct Case {
        UINT taskbar;
        bool autoHide;
        bool alwaysOnTop;
    };
    const Case cases[] = {
        {ABS_ALWAYSONTOP | ABS_AUTOHIDE, true, true},
        {ABS_AUTOHIDE, true, false},
        {0, false, false},
        {ABS_ALWAYSONTOP, false, true},
    };
    for (const Case& c : cases) {
        shell.taskbarState = c.taskbar;
        notify(ABN_STATECHANGE);
        EXPECT_EQ(zoneBar->taskbarState(), c.taskbar);
        EXPECT_EQ(state().autoHide, c.autoHide) << c.taskbar;
        EXPECT_EQ(state().alwaysOnTop, c.alwaysOnTop) << c.taskbar;
        EXPECT_EQ(storedDword(L"TimeZoneBarAutoHide"), c.autoHide ? 1u : 0u);
        EXPECT_EQ(storedDword(L"TimeZoneBarAlwaysOnTop"), c.alwaysOnTop ? 1u : 0u);
    }
    // Only a change is taken: the user's own choice since then stays.
    command(ID_BAR_ALWAYS_ON_TOP, 0);
    notify(ABN_STATECHANGE);
    EXPECT_FALSE(state().alwaysOnTop);
}

// The taskbar grows: a bar docked at the bottom moves up with it; a floating or auto-hidden
// bar takes no room and stays.
TEST_F(ZoneBarCommandTest, PositionsChanged)
{
    enum Kind { kDocked, kFloating, kAutoHidden };
    for (const Kind kind : {kDocked, kFloating, kAutoHidden}) {
        freshBar();
        AppBarState stored;
        stored.edge = kind == kFloating ? appbar::kFloating : appbar::kBottom;
        stored.floatRect = RECT{100, 200, 600, 240};
        storeState(stored);
        storeDword(L"TimeZoneBarAutoHide", kind == kAutoHidden);
        openBar();
        const RECT before = windowRect();

        shell.taskbar.top -= 20;
        shell.clearCalls();
        notify(ABN_POSCHANGED);
        if (kind == kDocked) {
            EXPECT_TRUE(sameRect(windowRect(), RECT{0, shell.taskbar.top - minHeight(), screen().right, shell.taskbar.top}))
                << rectText(windowRect());
            EXPECT_TRUE(sameRect(shell.reserved(bar()), windowRect()));
        } else {
            EXPECT_TRUE(sameRect(windowRect(), before)) << kind;
            EXPECT_EQ(shell.count(ABM_SETPOS), 0u) << kind;
        }
    }
}

TEST_F(ZoneBarCommandTest, WindowArrangeChangesNothing)
{
    openBar();
    const RECT before = windowRect();
    shell.clearCalls();
    notify(ABN_WINDOWARRANGE, TRUE);
    notify(ABN_WINDOWARRANGE, FALSE);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_TRUE(sameRect(windowRect(), before));
}

// The shell hears of every move and every activation.
TEST_F(ZoneBarCommandTest, MovesAndActivationReachTheShell)
{
    openBar();
    shell.clearCalls();
    SetWindowPos(bar(), nullptr, 0, 0, screen().right, minHeight() + 1, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(shell.count(ABM_WINDOWPOSCHANGED), 1u);
    send(WM_ACTIVATE, WA_ACTIVE);
    EXPECT_EQ(shell.count(ABM_ACTIVATE), 1u);
    EXPECT_EQ(shell.last(ABM_ACTIVATE)->window, bar());
}
