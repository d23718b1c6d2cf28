#pragma once
// The vault's hidden monitor window "MWCofferix": device arrivals and removals, shortcut
// keys, automatic closing after inactivity, standby, and the commands that open and close
// the vault. It is a top-level window because volume and power broadcasts reach only those.

#include "CVaultRuntime.h"
#include "CWnd.h"
#include "IDeviceAccess.h"

#include <dbt.h>

#include <map>
#include <string>

inline constexpr UINT ID_VAULT_OPEN = 32773;
inline constexpr UINT ID_VAULT_CLOSE = 32775;
inline constexpr UINT WM_VAULT_LOCKBOX_VERB = WM_USER + 2;
inline constexpr UINT WM_VAULT_SEARCH_ACTION = WM_USER + 5;
inline constexpr UINT WM_VAULT_ARM_INACTIVITY = WM_USER + 6;

class CVaultMonitor : public CWnd {
public:
    static constexpr const wchar_t* WindowName = L"MWCofferix";
    static constexpr const wchar_t* ClassName = L"CofferixMonitor";
    static constexpr UINT_PTR kSearchTimer = 1;
    static constexpr UINT_PTR kInactivityTimer = 2;
    static constexpr UINT kSearchDelayMs = 10000;
    static constexpr DWORD kAutoCloseMs = 8000;
    static constexpr DWORD kFailureMs = 8000;

    CVaultMonitor(CVaultRuntime& runtime, IDeviceAccess& devices);
    ~CVaultMonitor() override;

    bool create();
    void registerShortcutKeys();
    // Registration id -> virtual key (high word) and RegisterHotKey modifiers (low word).
    const std::map<int, DWORD>& shortcutKeys() const { return m_shortcuts; }

    // Hot-key control modifiers (shift 1, control 2, alt 4; the extended-key bit ignored) in
    // RegisterHotKey's form (alt 1, control 2, shift 4).
    static UINT hotKeyModifiers(WORD controlModifiers);

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void onCreate();
    void onDestroy();
    void onDeviceChange(WPARAM event, const DEV_BROADCAST_HDR* header);
    void onHotKey(DWORD keyCode);
    void onInactivityTimer();
    // PBT_APMQUERYSUSPEND: false refuses the standby.
    bool onQuerySuspend();
    void onSuspend();
    void armInactivity();
    void toggleLockbox(CLockbox& lockbox, bool& iconsChanged);
    void unregisterShortcutKeys();
    bool registerShortcut(int& nextId, WORD key, WORD modifiers);

    CVaultRuntime& m_runtime;
    IDeviceAccess& m_devices;
    HDEVNOTIFY m_notification = nullptr;
    std::map<int, DWORD> m_shortcuts;
    WPARAM m_searchAction = 0;
    bool m_searchTimerRunning = false;
};
