#include "CVaultMonitor.h"

#include "CInUseDialog.h"
#include "CVaultMessages.h"
#include "CVaultSettings.h"
#include "ResourceString.h"
#include "SecureDisk.h"
#include "resource.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace {
// An inactivity check comes back at least this often while some lockbox may time out.
constexpr DWORD kLongestCheckSeconds = 6000;
// A lockbox that could not be closed for inactivity is tried again after this.
constexpr DWORD kRetryCloseSeconds = 10;

DWORD keyCode(WORD key, WORD controlModifiers)
{
    return (static_cast<DWORD>(key) << 16) | CVaultMonitor::hotKeyModifiers(controlModifiers);
}
} // namespace

CVaultMonitor::CVaultMonitor(CVaultRuntime& runtime, IDeviceAccess& devices) : m_runtime(runtime), m_devices(devices)
{
    m_runtime.onDisplaysChanged = [this] {
        if (exists())
            PostMessageW(hwnd(), WM_VAULT_ARM_INACTIVITY, 0, 0);
    };
}

CVaultMonitor::~CVaultMonitor()
{
    m_runtime.onDisplaysChanged = nullptr;
    destroy();
}

bool CVaultMonitor::create()
{
    registerClass(ClassName, 0, nullptr, nullptr, nullptr);
    return CWnd::create(0, ClassName, WindowName, WS_OVERLAPPED, 0, 0, 0, 0);
}

UINT CVaultMonitor::hotKeyModifiers(WORD controlModifiers)
{
    UINT modifiers = 0;
    if (controlModifiers & HOTKEYF_SHIFT)
        modifiers |= MOD_SHIFT;
    if (controlModifiers & HOTKEYF_CONTROL)
        modifiers |= MOD_CONTROL;
    if (controlModifiers & HOTKEYF_ALT)
        modifiers |= MOD_ALT;
    return modifiers;
}

LRESULT CVaultMonitor::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        onCreate();
        return 0;
    case WM_DESTROY:
        onDestroy();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_VAULT_OPEN || LOWORD(wParam) == ID_VAULT_CLOSE) {
            m_runtime.setVaultState(LOWORD(wParam) == ID_VAULT_OPEN);
            return 0;
        }
        break;
    case WM_VAULT_SEARCH_ACTION:
        m_searchAction = wParam;
        if (!m_searchTimerRunning)
            m_searchTimerRunning = SetTimer(hwnd(), kSearchTimer, kSearchDelayMs, nullptr) != 0;
        return 0;
    case WM_VAULT_ARM_INACTIVITY:
        armInactivity();
        return 0;
    case WM_TIMER:
        if (wParam == kSearchTimer) {
            KillTimer(hwnd(), kSearchTimer);
            m_searchTimerRunning = false;
            m_runtime.desktop().runSearchAction(m_searchAction);
            return 0;
        }
        if (wParam == kInactivityTimer) {
            onInactivityTimer();
            return 0;
        }
        break;
    case WM_DEVICECHANGE:
        onDeviceChange(wParam, reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam));
        return 0;
    case WM_HOTKEY:
        onHotKey(static_cast<DWORD>(lParam));
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMQUERYSUSPEND) {
            if (!onQuerySuspend())
                return BROADCAST_QUERY_DENY;
            return TRUE;
        }
        if (wParam == PBT_APMSUSPEND)
            onSuspend();
        break;
    }
    return CWnd::onMessage(message, wParam, lParam);
}

void CVaultMonitor::onCreate()
{
    m_notification = m_devices.registerInterfaceNotification(hwnd(), securedisk::kDiskInterface);
    m_runtime.refresh();
    registerShortcutKeys();
    armInactivity();
}

void CVaultMonitor::onDestroy()
{
    unregisterShortcutKeys();
    KillTimer(hwnd(), kSearchTimer);
    KillTimer(hwnd(), kInactivityTimer);
    m_devices.unregisterNotification(m_notification);
    m_notification = nullptr;
}

void CVaultMonitor::onDeviceChange(WPARAM event, const DEV_BROADCAST_HDR* header)
{
    if (!header)
        return;
    const bool volume = header->dbch_devicetype == DBT_DEVTYP_VOLUME;
    if (event == DBT_DEVICEARRIVAL) {
        if (volume)
            m_runtime.onVolumeArrival();
        else
            m_runtime.onDiskArrival();
    } else if (event == DBT_DEVICEREMOVECOMPLETE && volume) {
        m_runtime.onVolumeRemoval();
    }
}

void CVaultMonitor::unregisterShortcutKeys()
{
    for (const auto& shortcut : m_shortcuts)
        UnregisterHotKey(hwnd(), shortcut.first);
    m_shortcuts.clear();
}

bool CVaultMonitor::registerShortcut(int& nextId, WORD key, WORD modifiers)
{
    if (key == 0 && modifiers == 0)
        return false;
    // A key that another program holds is skipped and does not use up an id.
    if (!RegisterHotKey(hwnd(), nextId, hotKeyModifiers(modifiers), key))
        return false;
    m_shortcuts[nextId++] = keyCode(key, modifiers);
    return true;
}

void CVaultMonitor::registerShortcutKeys()
{
    unregisterShortcutKeys();
    int nextId = 0;
    registerShortcut(nextId, static_cast<WORD>(CVaultSettings::vaultShortcutKey()),
                     static_cast<WORD>(CVaultSettings::vaultShortcutModifiers()));
    std::lock_guard<std::recursive_mutex> lock(m_runtime.listLock());
    for (const auto& lockbox : m_runtime.vault().lockboxes())
        registerShortcut(nextId, lockbox->shortcutKey(), lockbox->shortcutModifiers());
}

void CVaultMonitor::toggleLockbox(CLockbox& lockbox, bool& iconsChanged)
{
    const bool closing = lockbox.attached();
    const bool done = closing ? m_runtime.closeLockbox(lockbox, true) : m_runtime.openLockbox(lockbox, false, true);
    if (done)
        iconsChanged |= m_runtime.desktop().refreshDesktopIcon(lockbox);
    if (!closing && m_runtime.reported())
        return;
    const std::wstring verb = loadString(closing ? IDS_CLOSED : IDS_OPENED);
    if (done)
        CVaultMessages::popup(substituteString(IDS_LOCKBOX_DONE, {lockbox.name(), verb}), CVaultMessages::Success,
                              CVaultRuntime::kStatusMs);
    else
        CVaultMessages::popup(substituteString(IDS_LOCKBOX_NOT_DONE, {lockbox.name(), verb}), CVaultMessages::Failure,
                              kFailureMs);
}

void CVaultMonitor::onHotKey(DWORD code)
{
    std::lock_guard<std::recursive_mutex> lock(m_runtime.listLock());
    const WORD vaultKey = static_cast<WORD>(CVaultSettings::vaultShortcutKey());
    const WORD vaultModifiers = static_cast<WORD>(CVaultSettings::vaultShortcutModifiers());
    if ((vaultKey || vaultModifiers) && code == keyCode(vaultKey, vaultModifiers)) {
        m_runtime.setVaultState(!m_runtime.isVaultOpen());
        return;
    }
    std::vector<CLockbox*> matching;
    for (const auto& lockbox : m_runtime.vault().lockboxes())
        if ((lockbox->shortcutKey() || lockbox->shortcutModifiers()) &&
            code == keyCode(lockbox->shortcutKey(), lockbox->shortcutModifiers()))
            matching.push_back(lockbox.get());
    bool iconsChanged = false;
    for (CLockbox* lockbox : matching)
        toggleLockbox(*lockbox, iconsChanged);
    if (iconsChanged)
        m_runtime.desktop().notifyShell();
}

void CVaultMonitor::armInactivity()
{
    std::lock_guard<std::recursive_mutex> lock(m_runtime.listLock());
    bool any = false;
    for (const auto& lockbox : m_runtime.vault().lockboxes())
        any |= lockbox->attached() && lockbox->timeoutSeconds() > 0;
    if (any)
        SetTimer(hwnd(), kInactivityTimer, 1000, nullptr);
    else
        KillTimer(hwnd(), kInactivityTimer);
}

void CVaultMonitor::onInactivityTimer()
{
    std::lock_guard<std::recursive_mutex> lock(m_runtime.listLock());
    KillTimer(hwnd(), kInactivityTimer);
    DWORD next = kLongestCheckSeconds;
    bool any = false;
    // One look at the disks' idle times for all lockboxes of this check.
    m_runtime.refresh();
    std::vector<CLockbox*> timed;
    for (const auto& lockbox : m_runtime.vault().lockboxes())
        if (lockbox->attached() && lockbox->timeoutSeconds() > 0)
            timed.push_back(lockbox.get());
    for (CLockbox* lockbox : timed) {
        const DWORD timeout = lockbox->timeoutSeconds();
        const DWORD idle = lockbox->inactivitySeconds();
        if (timeout > idle) {
            any = true;
            next = std::min(next, timeout - idle);
            continue;
        }
        if (!m_runtime.closeLockbox(*lockbox, false)) {
            next = std::min(next, kRetryCloseSeconds);
            any = true;
            continue;
        }
        const DWORD minutes = timeout / 60;
        CVaultMessages::popup(substituteString(IDS_AUTO_CLOSED, {lockbox->name(), CVaultRuntime::numberInWords(minutes),
                                                                  minutes <= 1 ? L"e" : L"es"}),
                              CVaultMessages::Success, kAutoCloseMs);
        if (m_runtime.desktop().refreshDesktopIcon(*lockbox))
            m_runtime.desktop().notifyShell();
    }
    if (any)
        SetTimer(hwnd(), kInactivityTimer, next * 1000, nullptr);
}

bool CVaultMonitor::onQuerySuspend()
{
    std::lock_guard<std::recursive_mutex> lock(m_runtime.listLock());
    std::vector<SOpenLockbox> stillOpen;
    std::vector<CLockbox*> attached;
    for (const auto& lockbox : m_runtime.vault().lockboxes())
        if (lockbox->attached())
            attached.push_back(lockbox.get());
    for (CLockbox* lockbox : attached)
        if (!m_runtime.closeLockbox(*lockbox, false))
            stillOpen.push_back({lockbox->name(), lockbox->device().drive[0], lockbox->device().diskNumber});
    if (stillOpen.empty())
        return true;
    CInUseDialog dialog(CInUseDialog::Mode::Standby, stillOpen, m_runtime.disks().systemHandles());
    return dialog.doModal(nullptr) != IDCANCEL;
}

void CVaultMonitor::onSuspend()
{
    std::lock_guard<std::recursive_mutex> lock(m_runtime.listLock());
    // Since Windows Vista no query comes before a standby, so nothing can refuse it: close
    // what can be closed, so that no lockbox stays open through the standby unnoticed.
    std::vector<CLockbox*> attached;
    for (const auto& lockbox : m_runtime.vault().lockboxes())
        if (lockbox->attached())
            attached.push_back(lockbox.get());
    for (CLockbox* lockbox : attached)
        m_runtime.closeLockbox(*lockbox, false);
}
