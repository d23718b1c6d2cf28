#pragma once
// The vault engine: the list of lockboxes kept in the registry, their records, and the making
// and removing of lockboxes with their data files.

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CLockbox.h"
#include "IDesktopIntegration.h"

// The answers of the Add-lockbox wizard.
struct SNewLockbox {
    std::wstring name;
    std::wstring folder; // ends with a backslash
    DWORD capacityMB = 0;
    std::wstring password;
    std::wstring question;
    std::wstring answer;
    bool openWithVault = false;
    WORD shortcutKey = 0;
    WORD shortcutModifiers = 0;
    std::wstring dataFile; // set by createLockbox
};

class CVault {
public:
    using LockboxList = std::vector<std::unique_ptr<CLockbox>>;

    // `desktop` (not owned) receives the desktop-search and icon changes; none does nothing.
    explicit CVault(IDesktopIntegration* desktop = nullptr);
    CVault(const CVault&) = delete;
    CVault& operator=(const CVault&) = delete;

    // With `reload` false and lockboxes in memory the list is returned as it is; otherwise
    // it is read again, and records of the earlier format are rewritten in the current one.
    const LockboxList& loadLockboxes(bool reload);
    const LockboxList& lockboxes() const { return m_lockboxes; }
    // Held while the list is read again, and by whoever walks it where a creation on another
    // thread could read it again meanwhile.
    std::recursive_mutex& listLock() { return m_listLock; }
    // Called (under the list lock) each time the list has been read again: the run time
    // matches the attached disks to the new records.
    std::function<void()> onListLoaded;

    bool createRecord(const SNewLockbox& answers);
    bool saveRecord(CLockbox& lockbox);
    bool deleteRecord(const CLockbox& lockbox);
    // First lockbox, in list order, whose name (or data-file path) equals `text` but for the
    // case of A-Z. A path reported as "UNC\server\..." is matched as "\\server\...".
    CLockbox* findLockbox(const std::wstring& text, bool byPath) const;
    std::wstring defaultDataFolder() const;

    // Data file, record and keys of a new lockbox. `status` is 32788 when the data file could
    // not be made, 0 on success, -1 for any other failure; a failure leaves neither record nor
    // file behind.
    bool createLockbox(SNewLockbox& answers, int& status);
    // Removes the icon and the record and, with `deleteData`, the data and side files.
    bool deleteLockbox(const CLockbox& lockbox, bool deleteData);
    // The check before a data file is used. On failure `status` is 1 or 5 and, with
    // `reportErrors`, the reason is shown (a popup with `useBalloon`, else a message box)
    // and `reported` is set.
    bool checkDataFile(const CLockbox& lockbox, bool reportErrors, bool useBalloon, int& status, bool& reported);

private:
    std::unique_ptr<CLockbox> readRecord(const std::wstring& subkey);
    std::wstring recordPath(const std::wstring& subkey) const;
    std::wstring subkeyOf(const std::wstring& name) const;
    void discardNewLockbox(const SNewLockbox& answers);

    IDesktopIntegration* m_desktop;
    CNoDesktopIntegration m_noDesktop;
    LockboxList m_lockboxes;
    std::recursive_mutex m_listLock;
};
