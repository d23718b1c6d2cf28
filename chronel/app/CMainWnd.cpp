#include "CMainWnd.h"
#include "CModule.h"

#include "CChronelApp.h"
#include "CChronelProxyObj.h"
#include "CPageHost.h"
#include "CZoneList.h"
#include "ChronelSettings.h"
#include "resource.h"

#include <mmsystem.h>

namespace {
constexpr UINT kMainClassStyle = CS_DBLCLKS | CS_BYTEALIGNCLIENT;
} // namespace

CMainWnd::CMainWnd(CChronelApp& app)
    : m_app(app),
      m_schedule(app.schedule()),
      m_tray(*this),
      m_balloons(m_tray, m_locator),
      m_reminders(app.soundDevice(), [&app] {
          if (CChronelProxyObj* automation = app.automationObject())
              automation->bumpReminderRevision();
      })
{
    m_dispSettingsMessage = RegisterWindowMessageW(DISP_SETTINGS_MESSAGE);
    m_appUpdateMessage = RegisterWindowMessageW(APP_UPDATE_MESSAGE);
}

CMainWnd::~CMainWnd() = default;

bool CMainWnd::create()
{
    if (!registerClass(kMainWindowClass, kMainClassStyle, nullptr, LoadCursor(nullptr, IDC_ARROW),
                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
        return false;
    return CWnd::create(0, kMainWindowClass, kMainWindowTitle, WS_POPUP, 0, 0, 0, 0);
}

HWND CMainWnd::pageHostWindow() const { return m_pageHost && m_pageHost->exists() ? m_pageHost->hwnd() : nullptr; }

void CMainWnd::onCreate()
{
    m_app.sync().setMainWindow(hwnd());
    m_app.sync().setPageHostFinder([this] { return pageHostWindow(); });
    m_schedule.attach(hwnd());
    m_schedule.setPageHostOpen([this] { return pageHostWindow() != nullptr; });
    m_schedule.setTimeChangeHook([this] {
        if (CChronelProxyObj* automation = m_app.automationObject())
            automation->bumpRevision();
    });
    m_tray.attach(hwnd(), m_app.displayName());
    m_tray.addIfEnabled();
    SetClassLongPtrW(hwnd(), GCLP_HICON,
                     reinterpret_cast<LONG_PTR>(LoadIconW(CModule::instance(), MAKEINTRESOURCEW(IDI_CHRONEL))));
    m_schedule.postAutocheck();
    m_reminders.attach(hwnd());
    CZoneList().convertOlderLayout();
    m_locator.attach(hwnd(), ID_TRAY_ICON);
}

void CMainWnd::setTaskBarIcon(bool show) { m_tray.setTaskBarIcon(show); }

void CMainWnd::openPageHost()
{
    if (HWND existing = pageHostWindow()) {
        if (IsIconic(existing))
            ShowWindow(existing, SW_RESTORE);
        SetForegroundWindow(existing);
        BringWindowToTop(existing);
        return;
    }
    m_pageHost = std::make_unique<CPageHost>(m_app, *this);
    if (!m_pageHost->create())
        m_pageHost.reset();
}

void CMainWnd::onPageHostClosed()
{
    if (CChronelProxyObj* automation = m_app.automationObject())
        automation->setHostWindow(nullptr);
}

void CMainWnd::exitSequence()
{
    m_tray.remove();
    m_app.showTimeZoneBar(false);
    if (HWND page = pageHostWindow())
        DestroyWindow(page);
    m_pageHost.reset();
    m_reminders.detach();
    destroy();
}

void CMainWnd::onCommand(UINT id) { m_tray.onCommand(id); }

LRESULT CMainWnd::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == m_dispSettingsMessage && message != 0) {
        SetForegroundWindow(hwnd());
        PostMessageW(hwnd(), WM_COMMAND, ID_TRAY_SETTINGS, 0);
        return 0;
    }
    if (message == m_appUpdateMessage && message != 0) {
        if (m_pageHost && m_pageHost->exists())
            m_pageHost->reload();
        m_app.connectCompanion();
        m_app.connectVault();
        return 0;
    }
    switch (message) {
    case WM_CREATE:
        onCreate();
        return 0;
    case WM_COMMAND:
        onCommand(LOWORD(wParam));
        return 0;
    case WM_APP_EXIT:
        exitSequence();
        return 0;
    case WM_UPDATE_OFFER:
        return m_updateUi.offer(hwnd());
    case WM_DOWNLOAD_PROGRESS:
        m_updateUi.onProgress(hwnd(), wParam);
        return 0;
    case WM_DOWNLOAD_FINISHED:
        m_updateUi.onFinished();
        return 0;
    case WM_TIMER:
        if (wParam == IDT_REMINDERS)
            m_reminders.onTimer();
        else
            m_schedule.onTimer(wParam);
        return 0;
    case WM_AUTOCHECK_CHANGED:
        m_schedule.onAutocheckChanged(wParam);
        return 0;
    case WM_SYNC_BUSY:
        m_schedule.onSyncBusy(wParam);
        return 0;
    case WM_TIMECHANGE:
        m_schedule.onTimeChange();
        m_reminders.refresh();
        return 0;
    case MM_MCINOTIFY:
        m_reminders.onSoundNotify(wParam, lParam);
        return 0;
    case WM_REMINDER_SNOOZE:
        m_reminders.onSnooze(wParam);
        return 0;
    case WM_REMINDER_CLOSED:
        m_reminders.onClosed(wParam);
        return 0;
    case WM_TRAY_CALLBACK:
        m_tray.onCallback(wParam, lParam);
        return 0;
    case WM_BALLOON_REQUEST:
        return m_balloons.onBalloonRequest(hwnd(), wParam, lParam);
    case WM_PAGE_HOST_TOPMOST:
        if (HWND page = pageHostWindow()) {
            SetWindowPos(page, wParam == 1 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        }
        return 0;
    case WM_DESTROY:
        m_reminders.detach();
        m_app.sync().setMainWindow(nullptr);
        m_schedule.attach(nullptr);
        PostQuitMessage(0);
        return 0;
    }
    return defaultProc(message, wParam, lParam);
}
