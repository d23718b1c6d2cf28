#pragma once
// Chronel's application object: start-up and command line, single instance, COM
// registration, the Run entry, the suite components, the clock synchroniser and the exit.

#include "CApplication.h"
#include "CClockSync.h"
#include "ComPtr.h"
#include "IClockSetter.h"
#include "SuiteComponents.h"
#include "UniqueHandle.h"

#include <memory>
#include <string>

class CMainWnd;
class CChronelProxyObj;

class CChronelApp : public CApplication {
public:
    explicit CChronelApp(IClockSetter& clock);
    ~CChronelApp() override;

    static CChronelApp* instance() { return static_cast<CChronelApp*>(CApplication::current()); }

    // What the trimmed command line asks for (compared ignoring case).
    enum class Command { Normal, Show, NoShow, Install, Remove, Uninstall };
    static Command classify(const std::wstring& arguments);

    // "app" under Install, else the edition name chosen by "Brnd" (string 102 by default).
    static std::wstring readDisplayName();
    const std::wstring& displayName() const { return m_displayName; }
    void setDisplayName(const std::wstring& name);

    CClockSync& sync() { return *m_sync; }
    CMainWnd* mainWnd() const { return m_mainWnd.get(); }
    // The application's automation object, made the first time it is needed.
    CChronelProxyObj* automationObject();

    // (Re)create a missing component; true when it exists afterwards.
    bool connectVault();
    bool connectCompanion();
    ICofferix* vault() const { return m_vault.get(); }

    // Creates the hidden main window "MWOrvelIDE".
    bool createMainWindow();

    // Registry scripts 107 and 108 and the type-library keys.
    static HRESULT registerServer();
    static HRESULT unregisterServer();

    // The uninstall path: messages 104 or 105, or the uninstaller started.
    void uninstall() const;

    bool exitOnCheck() const { return m_exitOnCheck; }
    bool autocheck() const { return m_autocheck; }

protected:
    bool initInstance() override;
    int exitInstance() override;

private:
    bool startUp();
    void installFileInfoService();
    void removeFileInfoService();
    void releaseComponents();
    void showMessage(const std::wstring& text) const;

    IClockSetter& m_clock;
    std::unique_ptr<CClockSync> m_sync;
    std::unique_ptr<CMainWnd> m_mainWnd;
    TComPtr<CChronelProxyObj> m_automation;
    TComPtr<ICofferix> m_vault;
    TComPtr<ICompanion> m_companion;
    CHandle m_instanceMutex;
    std::wstring m_displayName;
    bool m_exitOnCheck = false;
    bool m_autocheck = true;
    bool m_showPage = false;
    bool m_comInitialised = false;
    bool m_classRegistered = false;
    bool m_fileInfoInstalled = false;
};
