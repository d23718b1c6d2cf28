#pragma once
// Opening and closing lockboxes and the whole vault: the password and its cache, the disk
// request and the wait for the disk, the close with its wait for the volume to go, and the
// device events that end those waits. Runs on the monitor window's thread; only the first
// open of a new lockbox runs on the creation worker, so the opening flag and the lists are
// shared with it.

#include "CSecureDisks.h"
#include "CVault.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CVaultRuntime {
public:
    enum Status {
        Done = 0,
        DataFileMissing = 1,
        Cancelled = 2,
        OpenInProgress = 3,
        DriverFailed = 4,
        DataFileUnusable = 5
    };
    static constexpr DWORD kCloseWaitMs = 10000;
    static constexpr DWORD kStatusMs = 5000;

    // `desktop` may be null (nothing to change on the desktop).
    CVaultRuntime(CVault& vault, CSecureDisks& disks, IDesktopIntegration* desktop = nullptr);
    ~CVaultRuntime();
    CVaultRuntime(const CVaultRuntime&) = delete;
    CVaultRuntime& operator=(const CVaultRuntime&) = delete;

    bool openLockbox(CLockbox& lockbox, bool useCachedPassword, bool reportErrors);
    // The whole creation of a new lockbox and its first open, on the creation worker (a
    // thread without windows). `status` as CVault::createLockbox gives it.
    bool createLockbox(SNewLockbox& answers, int& status);
    bool closeLockbox(CLockbox& lockbox, bool interactive);
    void openVault();
    void closeVault();
    // Opens or closes the vault unless it is already in that state.
    bool setVaultState(bool open);
    // True when some lockbox opened with the vault is attached.
    bool isVaultOpen();

    int status() const { return m_status; }
    // The data-file check of the last open showed its own message.
    bool reported() const { return m_reported; }
    bool opening() const { return m_opening; }
    bool closing() const { return m_closing; }

    // The device events of the monitor window.
    void onDiskArrival();
    void onVolumeArrival();
    void onVolumeRemoval();
    // Matches disks to lockboxes again.
    void refresh();

    // Called when lockboxes changed state, after the vault's windows were told.
    std::function<void()> onDisplaysChanged;
    // Windows of the vault's user interface: told of changes with WM_USER+3.
    void addDisplay(HWND window);
    void removeDisplay(HWND window);

    // Held while the lockbox list or the pending list is walked or changed.
    std::recursive_mutex& listLock() { return m_vault.listLock(); }
    IDesktopIntegration& desktop() { return *m_desktop; }
    CVault& vault() { return m_vault; }
    CSecureDisks& disks() { return m_disks; }

    // "None", "one" to "ten", then digits.
    static std::wstring numberInWords(unsigned number);

private:
    bool unlock(CLockbox& lockbox, bool useCachedPassword, CSecretBytes& diskKey);
    void askSecretQuestion(CLockbox& lockbox, const CSecretBytes& diskKey);
    void dropPending(const CLockbox* copy);
    void clearCachedPassword();
    void refreshDisplays();
    // The vault's message after opening or closing: none done, some, or all (nothing when
    // there was nothing to do).
    static void reportOutcome(unsigned done, unsigned failed, UINT noneId, UINT someId, UINT allId);

    CVault& m_vault;
    CSecureDisks& m_disks;
    CNoDesktopIntegration m_noDesktop;
    IDesktopIntegration* m_desktop;
    std::vector<std::unique_ptr<CLockbox>> m_pending;
    std::atomic<bool> m_opening{false};
    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_diskAttached{false}; // the open's disk arrived and serves its data file
    std::atomic<int> m_status{Done};
    std::atomic<bool> m_reported{false};
    std::wstring m_cachedPassword;
    std::vector<HWND> m_displays;
};
