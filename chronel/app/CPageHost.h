#pragma once
// The visible main window: a frame hosting the web-browser control with the pages, showing
// the computer's and the server's time and the result of the last check, refreshed five
// times a second and handed to the automation object for the pages to read.

#include "CBrowserSite.h"
#include "CWnd.h"
#include "PageDisplay.h"

class CChronelApp;
class CMainWnd;

class CPageHost : public CWnd {
public:
    static constexpr int kWidth = 700;
    static constexpr int kHeight = 450;
    static constexpr UINT kRefreshMs = 200;

    CPageHost(CChronelApp& app, CMainWnd& main);
    ~CPageHost() override;

    // 700 x 450, centred in the work area, shown on top without being activated.
    bool create();
    void reload();
    const PageDisplay& display() const { return m_display; }
    CBrowserSite* site() const { return m_site; }
    HWND browserWindow() const { return m_browserWindow; }

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void onCreate();
    void refresh();
    void push();
    void showSample(LPARAM lParam);
    void showFailure(const wchar_t* text);
    void correctNow();
    void onTimeChange();
    void onDestroy();
    // Deactivates the browser control and lets the site go.
    void releaseSite();

    CChronelApp& m_app;
    CMainWnd& m_main;
    PageDisplay m_display;
    HWND m_browserWindow = nullptr;
    CBrowserSite* m_site = nullptr;
    DWORD m_correctedAt = 0;
};
