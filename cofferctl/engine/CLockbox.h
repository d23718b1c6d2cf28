#pragma once
// One lockbox: its record in the registry, and what the vault keeps of it in memory (its key
// items, the driver's view of its disk). The key operations load the key items from the data
// file's private area when first needed.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "CLockboxKeys.h"
#include "CSecretBytes.h"
#include "SDeviceRecord.h"

class CLockbox {
public:
    CLockbox() = default;
    ~CLockbox() = default;
    CLockbox(const CLockbox&) = delete;
    CLockbox& operator=(const CLockbox&) = delete;

    // A copy of the record's settings (no keys, no device), for an open in progress.
    std::unique_ptr<CLockbox> recordCopy() const;

    // The identifier that window messages address a lockbox by: the hex digit pairs at
    // positions 25, 15, 10 and 1 of the desktop-icon class text, as four bytes in that order.
    static DWORD identifierFromClass(const std::wstring& iconClass);

    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& name) { m_name = name; }
    const std::wstring& legacyPasswordCheck() const { return m_legacyPasswordCheck; }
    void setLegacyPasswordCheck(const std::wstring& check) { m_legacyPasswordCheck = check; }
    const std::wstring& dataFile() const { return m_dataFile; }
    void setDataFile(const std::wstring& path);
    bool openWithVault() const { return m_openWithVault; }
    void setOpenWithVault(bool on) { m_openWithVault = on; }
    WORD shortcutKey() const { return m_shortcutKey; }
    WORD shortcutModifiers() const { return m_shortcutModifiers; }
    void setShortcut(WORD key, WORD modifiers)
    {
        m_shortcutKey = key;
        m_shortcutModifiers = modifiers;
    }
    // 'A'-'Z', or 0 for automatic.
    wchar_t preferredDrive() const { return m_preferredDrive; }
    void setPreferredDrive(wchar_t letter);
    bool excludeFromSearch() const { return m_excludeFromSearch; }
    void setExcludeFromSearch(bool on) { m_excludeFromSearch = on; }
    const std::wstring& iconClass() const { return m_iconClass; }
    void setIconClass(const std::wstring& text);
    bool iconShown() const { return m_iconShown; }
    void setIconShown(bool on) { m_iconShown = on; }
    DWORD timeoutSeconds() const { return m_timeoutSeconds; }
    void setTimeoutSeconds(DWORD seconds) { m_timeoutSeconds = seconds; }

    DWORD identifier() const { return m_identifier; }
    bool needsRewrite() const { return m_needsRewrite; }
    void setNeedsRewrite(bool on) { m_needsRewrite = on; }
    DWORD inactivitySeconds() const { return m_inactivitySeconds; }
    void setInactivitySeconds(DWORD seconds) { m_inactivitySeconds = seconds; }

    SDeviceRecord& device() { return m_device; }
    const SDeviceRecord& device() const { return m_device; }
    bool attached() const { return m_device.attached(); }
    // The attached drive ("X:"), else the preferred letter and a colon, else "-".
    std::wstring driveText() const;
    // Disk size from the driver when attached, else the data file's size measured once;
    // 0 when the file cannot be opened. In megabytes.
    uint64_t sizeMegabytes();

    CSecretBytes& openDiskKey() { return m_openDiskKey; }

    // Key operations. All but unlockWithPassword fail (or answer mode 1 or an empty question)
    // when the data file is missing or has no private area.
    bool unlockWithAccount(CSecretBytes& diskKey);
    // A lockbox of the earlier format (no private area) is checked against its record and,
    // unless `verifyOnly`, upgraded to the current format with the same disk key.
    bool unlockWithPassword(const std::wstring& password, bool verifyOnly, CSecretBytes& diskKey);
    bool verifyPassword(const std::wstring& password);
    bool verifyAnswer(const std::wstring& answer);
    bool changePassword(const std::wstring& oldPasswordOrAnswer, const std::wstring& newPassword, bool byOldPassword);
    bool setQuestion(const std::wstring& question, const std::wstring& answer, const CSecretBytes& diskKey);
    std::wstring question();
    int mode();
    bool setMode(const std::wstring& password, int mode);

    // Forgets the key items (and with them the password); the next key operation reads the
    // private area again.
    void discardKeys() { m_keys.reset(); }
    bool hasKeys() const { return m_keys != nullptr; }

private:
    CLockboxKeys* keys();
    CLockboxKeys* keysWithArea();
    bool unlockEarlierFormat(const std::wstring& password, bool verifyOnly, CSecretBytes& diskKey);
    // Reports a failed rewrite of the private area and drops the key items.
    bool checkWritten();

    std::wstring m_name;
    std::wstring m_legacyPasswordCheck;
    std::wstring m_dataFile;
    bool m_openWithVault = false;
    WORD m_shortcutKey = 0;
    WORD m_shortcutModifiers = 0;
    wchar_t m_preferredDrive = 0;
    bool m_excludeFromSearch = true;
    std::wstring m_iconClass;
    bool m_iconShown = false;
    DWORD m_timeoutSeconds = 0;

    DWORD m_identifier = 0;
    bool m_needsRewrite = false;
    SDeviceRecord m_device;
    std::unique_ptr<CLockboxKeys> m_keys;
    CSecretBytes m_openDiskKey;
    int64_t m_sizeMegabytes = -1;
    DWORD m_inactivitySeconds = 0;
};
