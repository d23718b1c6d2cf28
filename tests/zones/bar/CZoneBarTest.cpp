#include "CZoneBarTest.h"

#include "CModule.h"
#include "RegistryProbe.h"
#include "ZoneBarSettings.h"

#include "resource.h"

#include <sstream>

namespace {

INT_PTR CALLBACK plainDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

} // namespace

std::string rectText(const RECT& r)
{
    std::ostringstream out;
    out << '{' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << '}';
    return out.str();
}

void CZoneBarTest::SetUp()
{
    CSuiteRegistryTest::SetUp();
    ole.emplace();
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &m_dragFullWindows, 0);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
    zoneBar = std::make_unique<CTimeZoneBar>(shell, nullptr, [this](bool byUser) { closings.push_back(byUser); });
}

void CZoneBarTest::TearDown()
{
    zoneBar.reset();
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, m_dragFullWindows, nullptr, 0);
    ole.reset();
    CSuiteRegistryTest::TearDown();
}

void CZoneBarTest::openBar()
{
    ASSERT_TRUE(zoneBar->open(nullptr));
    ASSERT_NE(bar(), nullptr);
}

void CZoneBarTest::freshBar()
{
    zoneBar.reset();
    closings.clear();
    removeSuiteKeys();
    shell = CAppBarShellStandIn();
    zoneBar = std::make_unique<CTimeZoneBar>(shell, nullptr, [this](bool byUser) { closings.push_back(byUser); });
}

CZoneBarTest::TemplateSize CZoneBarTest::templateSize()
{
    TemplateSize size{};
    HWND dialog = CreateDialogParamW(CModule::instance(), MAKEINTRESOURCEW(IDD_TIMEZONE_BAR), nullptr, &plainDialog, 0);
    EXPECT_NE(dialog, nullptr);
    if (!dialog)
        return size;
    RECT window{}, client{};
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    DestroyWindow(dialog);
    size.window = SIZE{window.right - window.left, window.bottom - window.top};
    size.client = SIZE{client.right, client.bottom};
    size.placed = window;
    return size;
}

RECT CZoneBarTest::windowRect() const
{
    RECT r{};
    GetWindowRect(bar(), &r);
    return r;
}

RECT CZoneBarTest::clientRect() const
{
    RECT r{};
    GetClientRect(bar(), &r);
    return r;
}

RECT CZoneBarTest::controlRect(int id) const
{
    RECT r{};
    GetWindowRect(GetDlgItem(bar(), id), &r);
    MapWindowPoints(nullptr, bar(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT CZoneBarTest::screen() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

LRESULT CZoneBarTest::send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return SendMessageW(bar(), message, wParam, lParam);
}

void CZoneBarTest::command(UINT id, UINT code) const
{
    SendMessageW(bar(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(bar(), id)));
}

void CZoneBarTest::notify(WPARAM code, LPARAM lParam) const
{
    SendMessageW(bar(), RegisterWindowMessageW(L"AppBarNotify"), code, lParam);
}

RECT CZoneBarTest::drag(POINT to)
{
    send(WM_ENTERSIZEMOVE);
    shell.cursor = to;
    // The system's proposal: the window moved along with the pointer.
    RECT r = windowRect();
    OffsetRect(&r, to.x - r.left, to.y - r.top);
    send(WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
    // The system's move loop places the window where WM_MOVING left it.
    SetWindowPos(bar(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return r;
}

void CZoneBarTest::storeState(const AppBarState& s) { ASSERT_TRUE(settings::writeBarState(s)); }

std::optional<DWORD> CZoneBarTest::storedDword(const wchar_t* name)
{
    const auto value = testreg::get(HKEY_CURRENT_USER, settings::kRootPath, name);
    if (!value || value->type != REG_DWORD || value->data.size() != 4)
        return std::nullopt;
    return *reinterpret_cast<const DWORD*>(value->data.data());
}

void CZoneBarTest::storeDword(const wchar_t* name, DWORD number)
{
    testreg::put(HKEY_CURRENT_USER, settings::kRootPath, name, testreg::dword(number));
}

std::optional<std::vector<BYTE>> CZoneBarTest::storedData()
{
    const auto value = testreg::get(HKEY_CURRENT_USER, settings::kRootPath, settings::kTimeZoneBarData);
    if (!value || value->type != REG_BINARY)
        return std::nullopt;
    return value->data;
}
