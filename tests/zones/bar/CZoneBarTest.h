#pragma once
// Base fixture of the zone bar's window tests: a clean registry, OLE for the browser control,
// the shell stand-in, and moves without slides (the system does not drag full windows) so a
// state is in place as soon as it is applied.

#include "CAppBarShellStandIn.h"
#include "CSuiteRegistryTest.h"
#include "CTimeZoneBar.h"
#include "ComTypes.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

inline bool sameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
inline bool emptyRect(const RECT& r) { return IsRectEmpty(&r) != FALSE; }
std::string rectText(const RECT& r);

class CZoneBarTest : public CSuiteRegistryTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the bar without an owner; the test stops when it does not open.
    void openBar();
    // A new, closed bar over a clean registry and a fresh shell, for the next case of a table.
    void freshBar();

    // Dialog 103 as the dialog manager makes it, measured on its own.
    struct TemplateSize {
        SIZE window;
        SIZE client;
        RECT placed; // where the dialog manager put it
    };
    static TemplateSize templateSize();
    HWND bar() const { return zoneBar->hwnd(); }
    const AppBarState& state() const { return zoneBar->state(); }

    RECT windowRect() const;
    RECT clientRect() const;
    // A control's rectangle in the bar's client coordinates.
    RECT controlRect(int id) const;
    static RECT screen();
    static SIZE border() { return SIZE{GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)}; }
    // The template's height: one row of a docked bar.
    int minHeight() const { return zoneBar->minSize().cy; }
    int rowHeight() const { return zoneBar->sizeIncrement().cy; }
    bool topmost() const { return (GetWindowLongW(bar(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void command(UINT id, UINT code = BN_CLICKED) const;
    // The shell's "AppBarNotify" callback.
    void notify(WPARAM code, LPARAM lParam = 0) const;
    // A drag by the client area from the pointer at `from` to `to`, as the system's move
    // loop sends it; returns the rectangle the bar gave WM_MOVING.
    RECT drag(POINT to);

    static void storeState(const AppBarState& s);
    // A DWORD under the settings root, when stored as one.
    static std::optional<DWORD> storedDword(const wchar_t* name);
    static void storeDword(const wchar_t* name, DWORD number);
    // "TimeZoneBarData" as stored.
    static std::optional<std::vector<BYTE>> storedData();

    std::optional<COleInit> ole;
    CAppBarShellStandIn shell;
    std::unique_ptr<CTimeZoneBar> zoneBar;
    // The callback's byUser of each closing.
    std::vector<bool> closings;

private:
    BOOL m_dragFullWindows = FALSE;
};
