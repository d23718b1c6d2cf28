#include "CChronelApp.h"

#include "CChronelProxyObj.h"
#include "CComRegistration.h"
#include "CComServer.h"
#include "CMainWnd.h"
#include "CTimeZoneBar.h"
#include "ZoneBarSettings.h"
#include "CModule.h"
#include "CRegistryKey.h"
#include "CUninstaller.h"
#include "ChronelSettings.h"
#include "ResourceString.h"
#include "RunEntry.h"
#include "resource.h"

#include <shellapi.h>

namespace {

constexpr wchar_t kInstallPath[] = L"Software\\Orvel Software\\Velmora\\Install";
constexpr DWORD kFirstEdition = 2;
constexpr DWORD kLastEdition = 8;
// A worker still asking a time server at exit is given this long before the process ends
// without it.
constexpr DWORD kWorkerGraceMs = 3000;
// A server started by COM waits this long for its first client, and ends this long after the
// last one lets go.
constexpr DWORD kFirstClientMs = 30000;
constexpr DWORD kServerIdleMs = 3000;

const ComClassEntry kClasses[] = {{&CLSID_ChronelProxyObj, &CChronelProxyObj::create, false}};

} // namespace

CChronelApp::CChronelApp(IClockSetter& clock)
    : m_clock(clock), m_update(std::make_shared<UpdateParts>()), m_sync(std::make_unique<CClockSync>(clock)),
      m_schedule(*m_sync), m_components(CModule::path())
{
    m_sync->setUpdateCheck([update = m_update] { update->check.run(); });
    m_exitOnCheck = settings::read(settings::kExitOnCheck);
    m_autocheck = settings::read(settings::kAutocheck);
    setDisplayName(readDisplayName());
}

CChronelApp::~CChronelApp()
{
    showTimeZoneBar(false);
    m_mainWnd.reset();
    m_automation.reset();
    m_components.release();
    if (m_sync && m_sync->workerRunning()) {
        // Exit does not wait for a time server: the process ends and takes the worker with
        // it, so the object the worker uses is left to outlive this destructor.
        static_cast<void>(m_sync.release());
    }
}

void CChronelApp::setDisplayName(const std::wstring& name)
{
    m_displayName = name;
    m_sync->setDisplayName(name);
    m_update->check.setTitle(name);
}

std::wstring CChronelApp::readDisplayName()
{
    CRegistryKey install(HKEY_CURRENT_USER, kInstallPath);
    std::wstring name;
    if (install.readString(L"app", name))
        return name;
    DWORD edition = 1;
    install.readDword(L"Brnd", edition);
    if (edition >= kFirstEdition && edition <= kLastEdition) {
        std::wstring editionName = loadString(IDS_EDITION_FIRST + edition - kFirstEdition);
        if (!editionName.empty())
            return editionName;
    }
    return loadString(IDS_DISPLAY_NAME);
}

CChronelProxyObj* CChronelApp::automationObject()
{
    if (!m_automation) {
        void* created = nullptr;
        if (SUCCEEDED(CChronelProxyObj::create(nullptr, IID_IChronelProxyObj, &created)))
            m_automation = TComPtr<CChronelProxyObj>::attach(
                static_cast<CChronelProxyObj*>(static_cast<IChronelProxyObj*>(created)));
    }
    return m_automation.get();
}

bool CChronelApp::connectVault() { return m_components.connectVault(m_mainWnd && m_mainWnd->exists()); }

bool CChronelApp::connectCompanion() { return m_components.connectCompanion(); }

bool CChronelApp::createMainWindow()
{
    m_mainWnd = std::make_unique<CMainWnd>(*this);
    if (!m_mainWnd->create()) {
        m_mainWnd.reset();
        return false;
    }
    setMainWindow(m_mainWnd->hwnd());
    m_update->check.setMainWindow(m_mainWnd->hwnd());
    return true;
}

void CChronelApp::setTaskBarIcon(bool show)
{
    if (m_mainWnd)
        m_mainWnd->setTaskBarIcon(show);
    else
        settings::write(settings::kTaskBarIcon, show);
}

void CChronelApp::showHelp() const
{
    const std::wstring help = CModule::folder() + L"\\OnlineHelp.chm";
    ShellExecuteW(mainWindow(), L"open", help.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool CChronelApp::initInstance()
{
    try {
        return startUp();
    } catch (...) {
        return false;
    }
}

bool CChronelApp::registerClassObject()
{
    CComModule::instance().setClasses(kClasses, 1);
    if (FAILED(CComModule::instance().registerClassObjects())) {
        CComModule::instance().revokeClassObjects();
        return false;
    }
    m_classRegistered = true;
    return true;
}

bool CChronelApp::runSwitch(CChronelCommandLine::Command command)
{
    using Command = CChronelCommandLine::Command;
    switch (command) {
    case Command::Show:
        m_showPage = true;
        return true;
    case Command::Remove:
    case Command::Uninstall:
        CUninstaller(CModule::folder(), mainWindow(), title()).run();
        return false;
    case Command::NoShow:
        // Check and correct once, then end without a window.
        if (m_sync->checkNow())
            m_sync->applyCorrection();
        return false;
    case Command::Install:
        writeRunEntry(true);
        return false;
    case Command::Normal:
        return true;
    }
    return true;
}

void CChronelApp::handToRunningInstance()
{
    // The vault may take the command line (a desktop-icon verb); otherwise the running
    // instance is asked to show its page.
    if (!m_components.handToVault(arguments()))
        PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(DISP_SETTINGS_MESSAGE), 0, 0);
}

bool CChronelApp::startUp()
{
    m_ole.emplace();
    if (!m_ole->ok())
        return false;

    CComRegistration::registerServer();
    const CChronelCommandLine line = CChronelCommandLine::read(arguments());
    if (line.unregServer) {
        CComRegistration::unregisterServer();
        return false;
    }
    if (line.regServer || !registerClassObject())
        return false;

    setDisplayName(readDisplayName());
    if (line.startedByCom) {
        // Serve the automation object until the last client lets go.
        CComModule::instance().quitWhenIdle(GetCurrentThreadId(), kFirstClientMs, kServerIdleMs);
        return true;
    }
    if (!runSwitch(line.command))
        return false;

    if (settings::read(settings::kFirstRun) != 0)
        m_showPage = true;
    settings::write(settings::kFirstRun, 0);
    writeRunEntry(m_exitOnCheck);

    connectVault();
    if (!m_instance.acquire()) {
        handToRunningInstance();
        return false;
    }

    m_fileInfo.install(CModule::folder());
    if (!createMainWindow())
        return false;
    if (settings::read(settings::kTimeZoneBar))
        showTimeZoneBar(true);
    connectCompanion();
    m_components.startVault(arguments());
    if (m_showPage)
        m_mainWnd->openPageHost();
    return true;
}

void CChronelApp::showTimeZoneBar(bool on)
{
    if (!on) {
        if (m_bar && m_bar->hwnd() && IsWindow(m_bar->hwnd()))
            m_bar->close(false);
        m_bar.reset();
        return;
    }
    if (timeZoneBar() || !m_mainWnd || !m_mainWnd->exists())
        return;
    // A bar the user closed is gone but for its object.
    m_bar.reset();
    m_bar = std::make_unique<CTimeZoneBar>(*m_barShell, automationObject(), [](bool) {});
    if (!m_bar->open(m_mainWnd->hwnd()))
        m_bar.reset();
}

CTimeZoneBar* CChronelApp::timeZoneBar() const
{
    return m_bar && m_bar->hwnd() && IsWindow(m_bar->hwnd()) ? m_bar.get() : nullptr;
}

int CChronelApp::exitInstance()
{
    showTimeZoneBar(false);
    m_mainWnd.reset();
    m_fileInfo.remove();
    m_components.release();
    m_instance.release();
    m_sync->waitForWorker(kWorkerGraceMs);
    m_automation.reset();
    if (m_classRegistered) {
        CComModule::instance().revokeClassObjects();
        m_classRegistered = false;
    }
    m_ole.reset();
    return CApplication::exitInstance();
}
