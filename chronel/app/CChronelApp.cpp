#include "CChronelApp.h"

#include "CChronelProxyObj.h"
#include "CComServer.h"
#include "CModule.h"
#include "CMainWnd.h"
#include "CRegistryKey.h"
#include "ChronelSettings.h"
#include "ComTypes.h"
#include "ResourceString.h"
#include "RunEntry.h"
#include "resource.h"

#include <cwctype>

namespace {

constexpr wchar_t kMutexName[] = L"MUTEX_ORVELIDE";
constexpr wchar_t kOldVersionMutex[] = L"OrvelTempra";
constexpr wchar_t kOldVersionTitle[] = L"Orvel.Tempra";
constexpr wchar_t kInstallPath[] = L"Software\\Orvel Software\\Velmora\\Install";
constexpr wchar_t kFileInfoService[] = L"FileInfo";
constexpr wchar_t kTypeLibPath[] = L"TypeLib\\{FF7084E8-6F8C-46D8-A8E7-9698E233D4F1}\\1.0";
#if defined(_WIN64)
constexpr wchar_t kTypeLibPlatform[] = L"\\0\\win64";
#else
constexpr wchar_t kTypeLibPlatform[] = L"\\0\\win32";
#endif
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

std::wstring trim(const std::wstring& text)
{
    size_t first = 0, last = text.size();
    while (first < last && std::iswspace(text[first]))
        ++first;
    while (last > first && std::iswspace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool fileExists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A component created for IUnknown in any context, run, then asked for its interface.
template <typename Interface>
bool createComponent(const CLSID& clsid, const IID& iid, TComPtr<Interface>& out)
{
    TComPtr<IUnknown> unknown;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.putVoid())))
        return false;
    OleRun(unknown.get());
    return SUCCEEDED(unknown->QueryInterface(iid, out.putVoid()));
}

void debugFailure(const wchar_t* what, HRESULT hr)
{
    OutputDebugStringW(formatText(L"****** %s failed: 0x%08lX ******\n", what, static_cast<unsigned long>(hr)).c_str());
}

} // namespace

CChronelApp::CChronelApp(IClockSetter& clock) : m_clock(clock), m_sync(std::make_unique<CClockSync>(clock))
{
    m_exitOnCheck = settings::readFlag(settings::kExitOnCheck, settings::kDefaultExitOnCheck) != 0;
    m_autocheck = settings::readFlag(settings::kAutocheck, settings::kDefaultAutocheck) != 0;
    setDisplayName(readDisplayName());
}

CChronelApp::~CChronelApp()
{
    m_mainWnd.reset();
    m_automation.reset();
    releaseComponents();
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
}

CChronelApp::Command CChronelApp::classify(const std::wstring& arguments)
{
    const std::wstring command = trim(arguments);
    struct Entry {
        const wchar_t* text;
        Command command;
    };
    static const Entry entries[] = {{L"show", Command::Show},         {L"remove", Command::Remove},
                                    {L"noShow", Command::NoShow},     {L"Install", Command::Install},
                                    {L"uninstall", Command::Uninstall}};
    for (const Entry& entry : entries)
        if (_wcsicmp(command.c_str(), entry.text) == 0)
            return entry.command;
    return Command::Normal;
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

bool CChronelApp::connectVault()
{
    if (m_vault)
        return true;
    if (!createComponent(CLSID_Cofferix, IID_ICofferix, m_vault))
        return false;
    if (m_mainWnd && m_mainWnd->exists()) {
        m_vault->installMonitor(1);
        CBstr path(CModule::path());
        m_vault->setProcessName(path.get());
    }
    return true;
}

bool CChronelApp::connectCompanion()
{
    if (m_companion)
        return true;
    if (!createComponent(kClsidCompanion, kIidCompanion, m_companion))
        return false;
    long result = 0;
    HRESULT hr = m_companion->connect(1, &result);
    if (FAILED(hr))
        debugFailure(L"Companion", hr);
    return true;
}

void CChronelApp::releaseComponents()
{
    if (m_companion) {
        long result = 0;
        m_companion->connect(0, &result);
        m_companion.reset();
    }
    if (m_vault) {
        m_vault->installMonitor(0);
        m_vault.reset();
    }
}

HRESULT CChronelApp::registerServer()
{
    HMODULE module = CModule::instance();
    HRESULT hr = runRegistryScript(module, IDR_REGISTRY_APPID, true);
    HRESULT proxy = runRegistryScript(module, IDR_REGISTRY_PROXY, true);
    if (SUCCEEDED(hr))
        hr = proxy;
    // The type library ships beside the program.
    const std::wstring folder = CModule::folder();
    CRegistryKey version(HKEY_CLASSES_ROOT, kTypeLibPath);
    version.writeString(L"", L"Chronel 1.0 Type Library");
    // A type library is registered under the platform it was made for: the x64 build's under
    // "win64", where 64-bit clients look first.
    CRegistryKey(HKEY_CLASSES_ROOT, std::wstring(kTypeLibPath) + kTypeLibPlatform).writeString(L"", folder + L"\\Chronel.tlb");
    CRegistryKey(HKEY_CLASSES_ROOT, std::wstring(kTypeLibPath) + L"\\0\\FLAGS").writeString(L"", L"0");
    CRegistryKey(HKEY_CLASSES_ROOT, std::wstring(kTypeLibPath) + L"\\0\\HELPDIR").writeString(L"", folder + L"\\");
    return hr;
}

HRESULT CChronelApp::unregisterServer()
{
    HMODULE module = CModule::instance();
    HRESULT hr = runRegistryScript(module, IDR_REGISTRY_APPID, false);
    HRESULT proxy = runRegistryScript(module, IDR_REGISTRY_PROXY, false);
    return SUCCEEDED(hr) ? proxy : hr;
}

void CChronelApp::showMessage(const std::wstring& text) const
{
    MessageBoxW(mainWindow(), text.c_str(), title().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void CChronelApp::uninstall() const
{
    const std::wstring log = CModule::folder() + L"\\DeIsL1.isu";
    if (!fileExists(log)) {
        showMessage(formatString(IDS_NO_UNINSTALL_LOG, log.c_str()));
        return;
    }
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::wstring uninstaller = windows;
    if (uninstaller.empty() || uninstaller.back() != L'\\')
        uninstaller += L'\\';
    uninstaller += L"uninst.exe";
    if (!fileExists(uninstaller)) {
        showMessage(formatString(IDS_NO_UNINSTALLER, uninstaller.c_str()));
        return;
    }
    // An older version of the program that still runs is asked to end first.
    CHandle oldVersion(CreateMutexW(nullptr, TRUE, kOldVersionMutex));
    if (oldVersion && GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND old = FindWindowW(kMainWindowClass, kOldVersionTitle)) {
            SetForegroundWindow(old);
            PostMessageW(old, WM_APP_EXIT, 0, 0);
        }
    }
    std::wstring commandLine = L"\"" + uninstaller + L"\"" + formatText(L" -f\"%s\"", log.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_FORCEONFEEDBACK;
    // Not waited for: the handles just go.
    CProcessInformation process;
    CreateProcessW(uninstaller.c_str(), commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                   nullptr, &startup, process.put());

    if (oldVersion)
        ReleaseMutex(oldVersion.get());
}

void CChronelApp::installFileInfoService()
{
    CServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return; // no administrator rights: the vault's in-use detection goes without it
    m_fileInfoInstalled = true;
    CServiceHandle service(OpenServiceW(manager.get(), kFileInfoService, SERVICE_ALL_ACCESS));
    if (!service) {
        const std::wstring image = formatText(L"%s\\FINFO.sys", CModule::folder().c_str());
        service.reset(CreateServiceW(manager.get(), kFileInfoService, kFileInfoService, SERVICE_ALL_ACCESS,
                                     SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, image.c_str(),
                                     nullptr, nullptr, nullptr, nullptr, nullptr));
    }
    if (service)
        StartServiceW(service.get(), 0, nullptr); // it may already run, or its file be missing
}

void CChronelApp::removeFileInfoService()
{
    if (!m_fileInfoInstalled)
        return;
    CServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return;
    CServiceHandle service(OpenServiceW(manager.get(), kFileInfoService, SERVICE_ALL_ACCESS));
    if (!service)
        return;
    SERVICE_STATUS status;
    ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    DeleteService(service.get());
    m_fileInfoInstalled = false;
}

bool CChronelApp::createMainWindow()
{
    m_mainWnd = std::make_unique<CMainWnd>(*this);
    if (!m_mainWnd->create()) {
        m_mainWnd.reset();
        return false;
    }
    setMainWindow(m_mainWnd->hwnd());
    return true;
}

bool CChronelApp::initInstance()
{
    try {
        return startUp();
    } catch (...) {
        return false;
    }
}

bool CChronelApp::startUp()
{
    if (FAILED(OleInitialize(nullptr)))
        return false;
    m_comInitialised = true;

    registerServer();
    const std::wstring arguments = this->arguments();
    const std::wstring command = trim(arguments);
    if (commandLineInfo().unregServer || _wcsicmp(command.c_str(), L"UnregServer") == 0) {
        unregisterServer();
        return false;
    }
    if (commandLineInfo().regServer || _wcsicmp(command.c_str(), L"RegServer") == 0)
        return false;
    CComModule::instance().setClasses(kClasses, 1);
    if (FAILED(CComModule::instance().registerClassObjects())) {
        CComModule::instance().revokeClassObjects();
        return false;
    }
    m_classRegistered = true;

    setDisplayName(readDisplayName());
    if (commandLineInfo().startedByCom()) {
        // Serve the automation object until the last client lets go.
        CComModule::instance().quitWhenIdle(GetCurrentThreadId(), kFirstClientMs, kServerIdleMs);
        return true;
    }

    switch (classify(arguments)) {
    case Command::Show:
        m_showPage = true;
        break;
    case Command::Remove:
    case Command::Uninstall:
        uninstall();
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
        break;
    }

    DWORD firstRun = 1;
    CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readDword(settings::kFirstRun, firstRun);
    if (firstRun != 0)
        m_showPage = true;
    settings::writeDword(settings::kFirstRun, 0);
    writeRunEntry(m_exitOnCheck);

    connectVault();

    m_instanceMutex.reset(CreateMutexW(nullptr, TRUE, kMutexName));
    const bool createdOwned = m_instanceMutex && GetLastError() != ERROR_ALREADY_EXISTS;
    const DWORD wait = m_instanceMutex ? WaitForSingleObject(m_instanceMutex.get(), 0) : WAIT_FAILED;
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        // Another instance runs: hand it the command line and end.
        long handled = 0;
        if (m_vault) {
            CBstr line(arguments);
            if (FAILED(m_vault->processCommandLine(line.get(), &handled)))
                handled = 0;
        }
        if (!m_vault || handled == 0)
            PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(DISP_SETTINGS_MESSAGE), 0, 0);
        m_instanceMutex.reset();
        return false;
    }
    // A mutex made here is owned twice now (creation and the zero wait): keep one count.
    if (createdOwned)
        ReleaseMutex(m_instanceMutex.get());

    installFileInfoService();
    if (!createMainWindow())
        return false;

    connectCompanion();
    if (m_vault) {
        m_vault->installMonitor(1);
        CBstr line(arguments);
        long result = 0;
        m_vault->processCommandLine(line.get(), &result);
        CBstr path(CModule::path());
        m_vault->setProcessName(path.get());
    }
    if (m_showPage)
        m_mainWnd->openPageHost();
    return true;
}

int CChronelApp::exitInstance()
{
    m_mainWnd.reset();
    removeFileInfoService();
    releaseComponents();
    if (m_instanceMutex) {
        ReleaseMutex(m_instanceMutex.get());
        m_instanceMutex.reset();
    }
    m_sync->waitForWorker(kWorkerGraceMs);
    m_automation.reset();
    if (m_classRegistered) {
        CComModule::instance().revokeClassObjects();
        m_classRegistered = false;
    }
    if (m_comInitialised) {
        OleUninitialize();
        m_comInitialised = false;
    }
    return CApplication::exitInstance();
}
