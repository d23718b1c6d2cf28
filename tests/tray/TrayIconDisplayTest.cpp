// The tray icon in Wine's real notification area: adding it with the first tooltip, the
// refresh on mouse moves, removal, the TaskBarIcon setting, the menu and the double click.

#include "CDisplayTest.h"
#include "CMessageWindow.h"
#include "CTrayTestHost.h"
#include "ChronelSettings.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

class TrayIconDisplayTest : public CDisplayTest {};

struct NameCase {
    const char* label;
    std::wstring displayName;
    std::wstring first;
    std::wstring refreshed;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.label; }

std::wstring repeated(const std::wstring& piece, int times)
{
    std::wstring text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

class TrayTooltipDisplayTest : public CDisplayTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(TrayTooltipDisplayTest, FirstTooltipThenTheRefreshAfterAMouseMove)
{
    const NameCase& c = GetParam();
    CTrayTestHost host(c.displayName);
    ASSERT_TRUE(host.create());
    ASSERT_TRUE(host.tray.isAdded());
    EXPECT_TRUE(shellHasIcon(host.hwnd(), ID_TRAY_ICON));
    EXPECT_EQ(host.tray.tooltip(), c.first);

    // A callback for another identifier changes nothing.
    SendMessageW(host.hwnd(), WM_TRAY_CALLBACK, ID_TRAY_ICON + 1, WM_MOUSEMOVE);
    EXPECT_EQ(host.tray.tooltip(), c.first);
    // Wine reports a system of major version 5 or later, so a mouse move refreshes the tip.
    SendMessageW(host.hwnd(), WM_TRAY_CALLBACK, ID_TRAY_ICON, WM_MOUSEMOVE);
    EXPECT_EQ(host.tray.tooltip(), c.refreshed);
    EXPECT_TRUE(shellHasIcon(host.hwnd(), ID_TRAY_ICON));

    host.tray.remove();
    EXPECT_FALSE(host.tray.isAdded());
    EXPECT_FALSE(shellHasIcon(host.hwnd(), ID_TRAY_ICON));
}

INSTANTIATE_TEST_SUITE_P(
    Names, TrayTooltipDisplayTest,
    ::testing::Values(NameCase{"ampersand", L"Orvel & Velmora", L"Orvel and Velmora", L"Orvel &&& Velmora"},
                      NameCase{"seventy", std::wstring(70, L'x'), std::wstring(63, L'x'), std::wstring(70, L'x')},
                      NameCase{"hundred_forty", std::wstring(70, L'&') + std::wstring(70, L'y'), repeated(L"and", 21),
                               std::wstring(127, L'&')}),
    [](const ::testing::TestParamInfo<NameCase>& info) { return std::string(info.param.label); });

TEST_F(TrayIconDisplayTest, TaskBarIconSettingDecidesWhetherTheIconIsShown)
{
    settings::write(settings::kTaskBarIcon, false);
    CTrayTestHost host;
    ASSERT_TRUE(host.create());
    EXPECT_FALSE(host.tray.isAdded());
    EXPECT_FALSE(shellHasIcon(host.hwnd(), ID_TRAY_ICON));

    EXPECT_TRUE(host.tray.setTaskBarIcon(true));
    EXPECT_EQ(settings::stored(settings::kTaskBarIcon), 1u);
    EXPECT_TRUE(shellHasIcon(host.hwnd(), ID_TRAY_ICON));

    EXPECT_TRUE(host.tray.setTaskBarIcon(false));
    EXPECT_EQ(settings::stored(settings::kTaskBarIcon), 0u);
    EXPECT_FALSE(shellHasIcon(host.hwnd(), ID_TRAY_ICON));
    // Nothing to restore once the icon is gone.
    EXPECT_FALSE(host.tray.restoreImage());
}

// What the menu showed, seen from inside its tracking loop.
struct MenuSeen {
    bool shown = false;
    std::vector<UINT> ids;
    std::vector<std::wstring> texts;
    UINT defaultId = 0;
    HWND foreground = nullptr;
    WPARAM key = 0; // the key that picks an item
};

MenuSeen g_menu;

void CALLBACK inspectMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND menuWindow = FindWindowW(L"#32768", nullptr);
    if (!menuWindow || !IsWindowVisible(menuWindow))
        return;
    KillTimer(nullptr, timer);
    auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    g_menu.shown = true;
    g_menu.foreground = GetForegroundWindow();
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        g_menu.ids.push_back(GetMenuItemID(menu, i));
        g_menu.texts.push_back(text);
    }
    g_menu.defaultId = menu ? GetMenuDefaultItem(menu, FALSE, 0) : 0;
    // Keys sent to the menu as messages: down selects the first item, up the last.
    PostMessageW(menuWindow, WM_KEYDOWN, g_menu.key, 0);
    PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
}

struct MenuCase {
    const char* label;
    WPARAM key;
    int pageHostOpened;
    int exitRequested;
};

void PrintTo(const MenuCase& c, std::ostream* os) { *os << c.label; }

class TrayMenuDisplayTest : public CDisplayTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(TrayMenuDisplayTest, RightClickShowsMenu130AndItsCommandsReachTheHost)
{
    const MenuCase& c = GetParam();
    CTrayTestHost host;
    ASSERT_TRUE(host.create());
    g_menu = MenuSeen{};
    g_menu.key = c.key;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, inspectMenu);

    SendMessageW(host.hwnd(), WM_TRAY_CALLBACK, ID_TRAY_ICON, WM_RBUTTONUP);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(g_menu.shown);
    EXPECT_EQ(g_menu.ids, (std::vector<UINT>{ID_TRAY_SETTINGS, ID_TRAY_EXIT}));
    EXPECT_EQ(g_menu.texts, (std::vector<std::wstring>{L"Settings...", L"Exit"}));
    EXPECT_EQ(g_menu.defaultId, static_cast<UINT>(ID_TRAY_SETTINGS));
    EXPECT_EQ(g_menu.foreground, host.hwnd());

    // The chosen command arrives as WM_COMMAND, with the WM_NULL posted after the menu.
    CMessageWindow::pumpFor(200);
    EXPECT_EQ(host.pageHostOpened, c.pageHostOpened);
    EXPECT_EQ(host.exitRequested, c.exitRequested);
    EXPECT_GE(host.received(WM_NULL), 1);
}

INSTANTIATE_TEST_SUITE_P(Items, TrayMenuDisplayTest,
                         ::testing::Values(MenuCase{"settings", VK_DOWN, 1, 0}, MenuCase{"exit", VK_UP, 0, 1},
                                           MenuCase{"dismissed", VK_ESCAPE, 0, 0}),
                         [](const ::testing::TestParamInfo<MenuCase>& info) { return std::string(info.param.label); });

TEST_F(TrayIconDisplayTest, DoubleClickOpensThePageHostAndOtherClicksDoNot)
{
    CTrayTestHost host;
    ASSERT_TRUE(host.create());
    for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MOUSEMOVE})
        SendMessageW(host.hwnd(), WM_TRAY_CALLBACK, ID_TRAY_ICON, mouse);
    EXPECT_EQ(host.pageHostOpened, 0);
    SendMessageW(host.hwnd(), WM_TRAY_CALLBACK, ID_TRAY_ICON, WM_LBUTTONDBLCLK);
    EXPECT_EQ(host.pageHostOpened, 1);
    EXPECT_EQ(GetForegroundWindow(), host.hwnd());
    EXPECT_EQ(host.exitRequested, 0);
}

} // namespace
