#include "CVaultRuntime.h"

#include "CInUseDialog.h"
#include "CMessageWait.h"
#include "CPasswordDialog.h"
#include "CSecretQuestionDialog.h"
#include "CVaultMessages.h"
#include "ResourceString.h"
#include "SecretText.h"
#include "resource.h"

#include <algorithm>

namespace {

// Sent to every window of the vault's user interface when lockboxes changed state.
constexpr UINT WM_VAULT_DISPLAYS_CHANGED = WM_USER + 3;
// Long enough for a search indexer to let go of the drive's files.
constexpr DWORD kSearchMonitorPauseMs = 1000;

bool blankAfterTrim(const std::wstring& text)
{
    return text.find_last_not_of(L" \t\r\n\v\f") == std::wstring::npos;
}

} // namespace

CVaultRuntime::CVaultRuntime(CVault& vault, CSecureDisks& disks, IDesktopIntegration* desktop)
    : m_vault(vault), m_disks(disks), m_desktop(desktop ? desktop : &m_noDesktop)
{
    m_vault.onListLoaded = [this] { refresh(); };
}

CVaultRuntime::~CVaultRuntime()
{
    m_vault.onListLoaded = nullptr;
    clearCachedPassword();
}

std::wstring CVaultRuntime::numberInWords(unsigned number)
{
    if (number == 0)
        return loadString(IDS_NUMBER_NONE);
    if (number <= 10)
        return loadString(IDS_NUMBER_ONE + number - 1);
    return std::to_wstring(number);
}

void CVaultRuntime::clearCachedPassword() { wipeText(m_cachedPassword); }

bool CVaultRuntime::unlock(CLockbox& lockbox, bool useCachedPassword, CSecretBytes& diskKey)
{
    if (lockbox.unlockWithAccount(diskKey))
        return true;
    if (useCachedPassword && !m_cachedPassword.empty() && lockbox.unlockWithPassword(m_cachedPassword, true, diskKey))
        return true;
    CPasswordDialog prompt(CPasswordDialog::Mode::Lockbox, lockbox.name(), [&](const std::wstring& password) {
        return lockbox.unlockWithPassword(password, false, diskKey);
    });
    if (prompt.doModal(nullptr) != IDOK)
        return false;
    if (useCachedPassword)
        m_cachedPassword = prompt.password();
    return true;
}

void CVaultRuntime::askSecretQuestion(CLockbox& lockbox, const CSecretBytes& diskKey)
{
    if (!blankAfterTrim(lockbox.question()))
        return;
    CSecretQuestionDialog dialog;
    if (dialog.doModal(nullptr) == IDOK)
        lockbox.setQuestion(dialog.question(), dialog.answer(), diskKey);
}

void CVaultRuntime::dropPending(const CLockbox* copy)
{
    std::lock_guard<std::recursive_mutex> lock(m_vault.listLock());
    m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(),
                                   [copy](const std::unique_ptr<CLockbox>& item) { return item.get() == copy; }),
                    m_pending.end());
}

bool CVaultRuntime::openLockbox(CLockbox& lockbox, bool useCachedPassword, bool reportErrors)
{
    m_reported = false;
    if (m_opening) {
        m_status = OpenInProgress;
        return false;
    }
    if (m_disks.isAttached(lockbox)) {
        m_status = Done;
        return true;
    }
    int checkStatus = 0;
    bool reported = false;
    if (!m_vault.checkDataFile(lockbox, reportErrors, true, checkStatus, reported)) {
        m_status = checkStatus;
        m_reported = reported;
        return false;
    }

    // The key items are read afresh: the data file may have changed since they were loaded.
    lockbox.discardKeys();
    CSecretBytes diskKey;
    if (!unlock(lockbox, useCachedPassword, diskKey)) {
        m_status = Cancelled;
        return false;
    }
    askSecretQuestion(lockbox, diskKey);

    const std::wstring dataFile = lockbox.dataFile();
    CLockbox* copy = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(m_vault.listLock());
        m_pending.push_back(lockbox.recordCopy());
        copy = m_pending.back().get();
        copy->openDiskKey() = diskKey;
    }
    // Another open may have got this far while this one showed its dialogs.
    if (m_opening.exchange(true)) {
        dropPending(copy);
        m_status = OpenInProgress;
        return false;
    }
    m_diskAttached = false;
    if (!m_disks.requestDisk()) {
        m_opening = false;
        dropPending(copy);
        m_status = DriverFailed;
        return false;
    }
    CMessageWait::whileSet(m_opening);
    // The copy is gone once the disk arrived; it is still here when the disk never came (the
    // wait ended for a WM_QUIT, or for another volume's arrival).
    dropPending(copy);
    if (!m_diskAttached) {
        m_status = DriverFailed;
        return false;
    }
    m_status = Done;
    std::lock_guard<std::recursive_mutex> lock(m_vault.listLock());
    if (CLockbox* opened = m_vault.findLockbox(dataFile, true))
        m_disks.labelVolume(*opened, opened->device().drive);
    return true;
}

bool CVaultRuntime::createLockbox(SNewLockbox& answers, int& status)
{
    if (!m_vault.createLockbox(answers, status))
        return false;
    // The new lockbox opens with the password just chosen, without asking for it again.
    m_cachedPassword = answers.password;
    CLockbox* made = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(m_vault.listLock());
        made = m_vault.findLockbox(answers.dataFile, true);
    }
    const bool opened = made && openLockbox(*made, true, false);
    clearCachedPassword();
    if (!opened)
        status = -1;
    return opened;
}

bool CVaultRuntime::closeLockbox(CLockbox& lockbox, bool interactive)
{
    if (!m_disks.isAttached(lockbox)) {
        m_status = Done;
        return true;
    }
    m_closing = true;
    bool detached = m_disks.detach(lockbox, false);
    if (!detached) {
        // The search indexer may be what holds the drive: let it go, then try once more.
        const bool searchWasRunning = m_desktop->stopSearchMonitor();
        std::atomic<bool> pausing{true};
        CMessageWait::whileSet(pausing, kSearchMonitorPauseMs);
        detached = m_disks.detach(lockbox, interactive);
        if (searchWasRunning)
            m_desktop->restartSearchMonitor();
    }
    if (!detached) {
        m_closing = false;
        m_status = DriverFailed;
        return false;
    }
    lockbox.discardKeys();
    CMessageWait::whileSet(m_closing, kCloseWaitMs);
    m_closing = false;
    m_status = Done;
    return true;
}

void CVaultRuntime::reportOutcome(unsigned done, unsigned failed, UINT noneId, UINT someId, UINT allId)
{
    if (failed && !done)
        CVaultMessages::popup(loadString(noneId), CVaultMessages::Failure, kStatusMs);
    else if (failed)
        CVaultMessages::popup(substituteString(someId, {numberInWords(failed)}), CVaultMessages::PartialSuccess,
                              kStatusMs);
    else if (done)
        CVaultMessages::popup(loadString(allId), CVaultMessages::Success, kStatusMs);
}

void CVaultRuntime::openVault()
{
    std::lock_guard<std::recursive_mutex> lock(m_vault.listLock());
    unsigned opened = 0, failed = 0;
    bool iconsChanged = false;
    std::vector<CLockbox*> wanted;
    for (const auto& lockbox : m_vault.lockboxes())
        if (lockbox->openWithVault())
            wanted.push_back(lockbox.get());
    for (CLockbox* lockbox : wanted) {
        if (openLockbox(*lockbox, true, false)) {
            ++opened;
            iconsChanged |= m_desktop->refreshDesktopIcon(*lockbox);
        } else {
            ++failed;
        }
    }
    clearCachedPassword();
    if (iconsChanged)
        m_desktop->notifyShell();
    reportOutcome(opened, failed, IDS_VAULT_NOT_OPENED, IDS_VAULT_OPEN_PARTIAL, IDS_VAULT_OPENED);
}

void CVaultRuntime::closeVault()
{
    std::lock_guard<std::recursive_mutex> lock(m_vault.listLock());
    for (;;) {
        unsigned closed = 0, failed = 0;
        bool iconsChanged = false;
        std::vector<SOpenLockbox> stillOpen;
        std::vector<CLockbox*> wanted;
        for (const auto& lockbox : m_vault.lockboxes())
            if (lockbox->openWithVault())
                wanted.push_back(lockbox.get());
        for (CLockbox* lockbox : wanted) {
            if (closeLockbox(*lockbox, false)) {
                ++closed;
                iconsChanged |= m_desktop->refreshDesktopIcon(*lockbox);
            } else {
                ++failed;
                stillOpen.push_back({lockbox->name(), lockbox->device().drive[0], lockbox->device().diskNumber});
            }
        }
        if (iconsChanged)
            m_desktop->notifyShell();
        if (failed) {
            CInUseDialog dialog(CInUseDialog::Mode::Close, stillOpen, m_disks.systemHandles());
            if (dialog.doModal(nullptr) != IDOK)
                return;
            if (dialog.retry())
                continue;
        }
        reportOutcome(closed, failed, IDS_VAULT_NOT_CLOSED, IDS_VAULT_CLOSE_PARTIAL, IDS_VAULT_CLOSED);
        return;
    }
}

bool CVaultRuntime::isVaultOpen()
{
    std::lock_guard<std::recursive_mutex> lock(m_vault.listLock());
    for (const auto& lockbox : m_vault.lockboxes())
        if (lockbox->openWithVault() && m_disks.isAttached(*lockbox))
            return true;
    return false;
}

bool CVaultRuntime::setVaultState(bool open)
{
    if (isVaultOpen() != open) {
        if (open)
            openVault();
        else
            closeVault();
    }
    return true;
}

void CVaultRuntime::refresh()
{
    std::lock_guard<std::recursive_mutex> lock(m_vault.listLock());
    m_disks.refresh(m_vault, m_pending.empty() ? nullptr : m_pending.front().get());
}

void CVaultRuntime::onDiskArrival()
{
    std::unique_ptr<CLockbox> copy;
    {
        std::lock_guard<std::recursive_mutex> lock(m_vault.listLock());
        refresh();
        if (m_pending.empty())
            return;
        copy = std::move(m_pending.front());
        m_pending.erase(m_pending.begin());
    }
    if (!m_disks.attach(*copy)) {
        m_disks.detach(*copy, true);
        m_opening = false;
        return;
    }
    m_diskAttached = true;
    // Without a drive letter no volume arrives to end the open's wait: it is open already,
    // as far as it can be.
    if (copy->device().drive[0] == L'\0') {
        refresh();
        m_opening = false;
    }
}

void CVaultRuntime::onVolumeArrival()
{
    refresh();
    m_opening = false;
    refreshDisplays();
}

void CVaultRuntime::onVolumeRemoval()
{
    refresh();
    m_closing = false;
    refreshDisplays();
}

void CVaultRuntime::addDisplay(HWND window)
{
    if (std::find(m_displays.begin(), m_displays.end(), window) == m_displays.end())
        m_displays.push_back(window);
}

void CVaultRuntime::removeDisplay(HWND window)
{
    m_displays.erase(std::remove(m_displays.begin(), m_displays.end(), window), m_displays.end());
}

void CVaultRuntime::refreshDisplays()
{
    const std::vector<HWND> displays = m_displays;
    for (HWND window : displays)
        if (IsWindow(window))
            SendMessageW(window, WM_VAULT_DISPLAYS_CHANGED, 0, 0);
    if (onDisplaysChanged)
        onDisplaysChanged();
}
