#pragma once
// Chronel's time zone bar: dialog 103 as an application desktop toolbar at the top or bottom
// of the screen, or floating, showing "Time\TimeZoneBar.htm" from the Pages folder in a
// web-browser control. A close button and an auto-hide pin sit at its left while docked;
// a right click offers menu 131. Its place is kept in "TimeZoneBarData", its two switches
// in "TimeZoneBarAutoHide" and "TimeZoneBarAlwaysOnTop".

#include "CAppBarDialog.h"
#include "CBarButtonPainter.h"
#include "CBrowserSite.h"
#include "ComPtr.h"
#include "UniqueHandle.h"

#include <oaidl.h>

#include <functional>
#include <string>

class CTimeZoneBar : public CAppBarDialog {
public:
    // Top and bottom, floating, auto-hide and always on top; never the left or right side.
    static constexpr DWORD kAllowed =
        appbar::kAllowTopBottom | appbar::kAllowFloat | appbar::kAllowAutoHide | appbar::kAllowAlwaysOnTop;
    // Between the close button and the pin, and before the page.
    static constexpr int kButtonGap = 5;

    // `external`: what the bar's page sees as window.external (the automation object);
    // `closed(byUser)`: called once when the bar goes, after it wrote its state. The
    // callback may delete the bar.
    CTimeZoneBar(IAppBarShell& shell, IDispatch* external, std::function<void(bool byUser)> closed);
    // An open bar is closed as the application closes it, without the callback.
    ~CTimeZoneBar() override;

    // Creates the modeless dialog owned by `owner`, takes the stored state (the stored
    // switches winning over the taskbar's), registers with the shell, docks or floats, and
    // opens the page.
    bool open(HWND owner);
    // Writes the state ("TimeZoneBar" = 0 too when the user closed it), lets the browser and
    // the shell go, destroys the window and calls the callback.
    void close(bool byUser);
    // Takes "TimeZoneBarAutoHide" and "TimeZoneBarAlwaysOnTop" where they differ from the bar.
    void applySettings();

    // The menu's two switches (the pin toggles auto-hide too): each stores its new value.
    void toggleAutoHide();
    void toggleAlwaysOnTop();

    // Menu 131 with its checks as the bar would show it.
    CMenu contextMenu() const;
    CBrowserSite* site() const { return m_site.get(); }
    // The program's folder + "\Pages\Time\TimeZoneBar.htm".
    static std::wstring pageUrl();

protected:
    bool onInitDialog() override;
    bool onCommand(UINT id, UINT code, HWND control) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void onFinalMessage() override;

    void changeAutoHide(bool on) override;
    void changeAlwaysOnTop(bool on) override;
    void onAutoHideRefused() override;
    void onStateApplied() override { layout(); }

private:
    // The stored state over the measured defaults, each field checked; `storedWords` is how
    // many words "TimeZoneBarData" held.
    AppBarState storedState(const AppBarState& defaults, size_t& storedWords);
    void layout();
    void embedBrowser();
    void releaseBrowser();
    void showContextMenu(LPARAM at);
    void onDrawItem(const DRAWITEMSTRUCT& item);
    // The closing steps up to the window's end.
    void saveAndLetGo(bool byUser);

    TComPtr<IDispatch> m_external;
    std::function<void(bool)> m_closed;
    TComPtr<CBrowserSite> m_site;
    CBarButtonPainter m_painter;
    CIcon m_pinIn;
    CIcon m_pinOut;
    SIZE m_closeSize{};
    SIZE m_pinSize{};
    int m_closeLeft = 0;
    bool m_closing = false;
    bool m_reportClosed = false;
    bool m_closedByUser = false;
};
