#pragma once
// Chronel's application object: the start-up and exit order, and the subsystems the rest of
// the program (the main window, the automation object) reaches through it: the clock check
// with its history, the check schedule, the time servers and the suite components.

#include "CApplication.h"
#include "CCheckSchedule.h"
#include "CChronelCommandLine.h"
#include "CClockSync.h"
#include "CFileInfoService.h"
#include "CSingleInstance.h"
#include "CSuiteComponents.h"
#include "CTimeServers.h"
#include "CUpdateCheck.h"
#include "CWinTrustVerifier.h"
#include "ComPtr.h"
#include "ComTypes.h"
#include "IClockSetter.h"
#include "ISoundDevice.h"
#include "CShellAppBar.h"
#include "ITimeZoneSetter.h"

#include <memory>
#include <optional>
#include <string>

class CMainWnd;
class CChronelProxyObj;
class CTimeZoneBar;

class CChronelApp : public CApplication {
public:
    explicit CChronelApp(IClockSetter& clock);
    ~CChronelApp() override;

    static CChronelApp* instance() { return static_cast<CChronelApp*>(CApplication::current()); }

    // "app" under Install, else the edition name chosen by "Brnd" (string 102 by default).
    static std::wstring readDisplayName();
    const std::wstring& displayName() const { return m_displayName; }
    void setDisplayName(const std::wstring& name);

    CClockSync& sync() { return *m_sync; }
    CCorrectionHistory& history() { return m_sync->history(); }
    CCheckSchedule& schedule() { return m_schedule; }
    CTimeServers& servers() { return m_servers; }
    CSuiteComponents& components() { return m_components; }
    CMainWnd* mainWnd() const { return m_mainWnd.get(); }
    // The application's automation object, made the first time it is needed.
    CChronelProxyObj* automationObject();

    // (Re)create a missing component; true when it exists afterwards.
    bool connectVault();
    bool connectCompanion();

    // Creates the hidden main window "MWOrvelIDE".
    bool createMainWindow();
    // TaskBarIcon: stored, and the tray icon added or removed when the main window exists.
    void setTaskBarIcon(bool show);
    // The help file beside the program, opened by the shell.
    void showHelp() const;

    // The wave sound device of reminders: the system's MCI unless a test gives its own before
    // the main window is created.
    ISoundDevice& soundDevice() { return *m_sound; }
    void setSoundDevice(ISoundDevice& device) { m_sound = &device; }
    // Applies a catalogue zone to the computer: SetTimeZoneInformation unless a test gives
    // its own.
    ITimeZoneSetter& timeZoneSetter() { return *m_zoneSetter; }
    void setTimeZoneSetter(ITimeZoneSetter& setter) { m_zoneSetter = &setter; }

    // The time zone bar: opened (when the main window exists) or closed as the application
    // closes it, which leaves "TimeZoneBar" as it is.
    void showTimeZoneBar(bool on);
    // The open bar, or null (also after the user closed it).
    CTimeZoneBar* timeZoneBar() const;
    // The shell that docks the bar: SHAppBarMessage unless a test gives its own.
    void setAppBarShell(IAppBarShell& shell) { m_barShell = &shell; }

    bool exitOnCheck() const { return m_exitOnCheck; }
    bool autocheck() const { return m_autocheck; }

protected:
    bool initInstance() override;
    int exitInstance() override;

private:
    bool startUp();
    bool registerClassObject();
    // Chronel's own switch: false when the program ends after it.
    bool runSwitch(CChronelCommandLine::Command command);
    void handToRunningInstance();

    // The update check runs on the clock check's worker; it is shared with that worker so that
    // a worker still running at exit never uses a destroyed check.
    struct UpdateParts {
        CWinTrustVerifier trust;
        CUpdateCheck check{trust};
    };

    IClockSetter& m_clock;
    CMciSoundDevice m_mciSound;
    ISoundDevice* m_sound = &m_mciSound;
    CSystemTimeZoneSetter m_systemZoneSetter;
    ITimeZoneSetter* m_zoneSetter = &m_systemZoneSetter;
    CShellAppBar m_shellAppBar;
    IAppBarShell* m_barShell = &m_shellAppBar;
    std::unique_ptr<CTimeZoneBar> m_bar;
    std::shared_ptr<UpdateParts> m_update;
    std::unique_ptr<CClockSync> m_sync;
    CCheckSchedule m_schedule;
    CTimeServers m_servers;
    std::optional<COleInit> m_ole;
    std::unique_ptr<CMainWnd> m_mainWnd;
    TComPtr<CChronelProxyObj> m_automation;
    CSuiteComponents m_components;
    CSingleInstance m_instance;
    CFileInfoService m_fileInfo;
    std::wstring m_displayName;
    bool m_exitOnCheck = false;
    bool m_autocheck = true;
    bool m_showPage = false;
    bool m_classRegistered = false;
};
