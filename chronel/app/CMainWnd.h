#pragma once
// Chronel's hidden main window "MWOrvelIDE": it lives as long as the program runs, owns the
// check schedule's timers, the tray icon, the page host and the reminders, and dispatches Chronel's private
// and registered messages.

#include "CBalloonRequestHandler.h"
#include "CCheckSchedule.h"
#include "CReminders.h"
#include "CTrayIcon.h"
#include "CTrayIconLocator.h"
#include "CUpdateUi.h"
#include "CWnd.h"
#include "ITrayIconHost.h"

#include <memory>

class CChronelApp;
class CPageHost;

inline constexpr wchar_t kMainWindowClass[] = L"Afx:400000:1008";
inline constexpr wchar_t kMainWindowTitle[] = L"MWOrvelIDE";

class CMainWnd : public CWnd, private ITrayIconHost {
public:
    explicit CMainWnd(CChronelApp& app);
    ~CMainWnd() override;

    // Registers the class (double clicks, byte-aligned client) and creates the hidden popup.
    bool create();

    CCheckSchedule& schedule() { return m_schedule; }
    CPageHost* pageHost() const { return m_pageHost.get(); }
    HWND pageHostWindow() const;
    // Brings an open page host to the front, or opens one.
    void openPageHost() override;
    // TaskBarIcon changed: store it and add or remove the notification-area icon.
    void setTaskBarIcon(bool show);
    CTrayIcon& trayIcon() { return m_tray; }
    CTrayIconLocator& trayIconLocator() { return m_locator; }
    // Tray icon, page host and reminders go; then the main window, which ends the loop.
    void exitSequence();

    // Reminder timer 258: every second while a reminder is due within 65 s, else every minute.
    UINT reminderInterval() const { return m_reminders.period(); }
    CReminders& reminders() { return m_reminders; }

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void onCreate();
    void onCommand(UINT id);
    void onPageHostClosed();
    void exitApplication() override { exitSequence(); }

    friend class CPageHost;

    CChronelApp& m_app;
    CCheckSchedule& m_schedule; // the application's; its timers are this window's
    CTrayIcon m_tray;
    CTrayIconLocator m_locator;
    CUpdateUi m_updateUi;
    CBalloonRequestHandler m_balloons;
    CReminders m_reminders;
    std::unique_ptr<CPageHost> m_pageHost;
    UINT m_dispSettingsMessage = 0;
    UINT m_appUpdateMessage = 0;
};
