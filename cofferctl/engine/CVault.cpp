#include "CVault.h"

#include "CDataFile.h"
#include "CLockboxKeys.h"
#include "CPrivateAreaFile.h"
#include "CVaultMessages.h"
#include "CVaultRegKey.h"
#include "CVaultSettings.h"
#include "ResourceString.h"
#include "resource.h"

namespace {

// Values of a lockbox record, named by decimal digits.
constexpr const wchar_t* kLegacyCheck = L"1";
constexpr const wchar_t* kDataFile = L"2";
constexpr const wchar_t* kOpenWithVault = L"3";
constexpr const wchar_t* kShortcutKey = L"4";
constexpr const wchar_t* kShortcutModifiers = L"5";
constexpr const wchar_t* kPreferredDrive = L"7";
constexpr const wchar_t* kFormat = L"8";
constexpr const wchar_t* kExcludeFromSearch = L"9";
constexpr const wchar_t* kIconClass = L"10";
constexpr const wchar_t* kIconShown = L"11";
constexpr const wchar_t* kTimeout = L"12";

DWORD dwordOr(CVaultRegKey& key, const wchar_t* name, DWORD fallback)
{
    DWORD value = fallback;
    key.readDword(name, value);
    return value;
}

// Equal but for the case of the letters A-Z.
bool equalsIgnoringAsciiCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'a' && x <= L'z')
            x = static_cast<wchar_t>(x - 32);
        if (y >= L'a' && y <= L'z')
            y = static_cast<wchar_t>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

CVault::CVault(IDesktopIntegration* desktop) : m_desktop(desktop ? desktop : &m_noDesktop) {}

std::wstring CVault::recordPath(const std::wstring& subkey) const
{
    return std::wstring(vaultkeys::Vaults) + L"\\" + subkey;
}

std::wstring CVault::subkeyOf(const std::wstring& name) const
{
    CVaultRegKey vaults(vaultkeys::Vaults);
    return vaults.encipherText(name);
}

std::wstring CVault::defaultDataFolder() const { return CVaultSettings::defaultDataFolder(); }

std::unique_ptr<CLockbox> CVault::readRecord(const std::wstring& subkey)
{
    CVaultRegKey record(recordPath(subkey));
    auto lockbox = std::make_unique<CLockbox>();
    DWORD format = 0;
    const bool legacy = !record.readDword(kFormat, format) || (format & 1) == 0;
    lockbox->setNeedsRewrite(legacy);
    lockbox->setName(record.decipherText(subkey, legacy));
    std::wstring text;
    if (record.readString(kLegacyCheck, text))
        lockbox->setLegacyPasswordCheck(text);
    if (record.readEncipheredString(kDataFile, text, legacy))
        lockbox->setDataFile(text);
    lockbox->setOpenWithVault(dwordOr(record, kOpenWithVault, 0) != 0);
    // A record that never stored "9" is kept off the desktop search.
    lockbox->setExcludeFromSearch(dwordOr(record, kExcludeFromSearch, 1) != 0);
    lockbox->setIconShown(dwordOr(record, kIconShown, 0) != 0);
    lockbox->setShortcut(static_cast<WORD>(dwordOr(record, kShortcutKey, 0)),
                         static_cast<WORD>(dwordOr(record, kShortcutModifiers, 0)));
    lockbox->setTimeoutSeconds(dwordOr(record, kTimeout, 0));
    lockbox->setPreferredDrive(static_cast<wchar_t>(dwordOr(record, kPreferredDrive, 0) & 0xFF));
    if (record.readString(kIconClass, text))
        lockbox->setIconClass(text);
    return lockbox;
}

const CVault::LockboxList& CVault::loadLockboxes(bool reload)
{
    std::lock_guard<std::recursive_mutex> lock(m_listLock);
    if (!reload && !m_lockboxes.empty())
        return m_lockboxes;
    m_lockboxes.clear();
    CVaultRegKey vaults(vaultkeys::Vaults);
    std::vector<std::pair<CLockbox*, std::wstring>> legacy;
    for (DWORD index = 0;; ++index) {
        auto subkey = vaults.enumerateSubkey(index);
        if (!subkey)
            break;
        m_lockboxes.push_back(readRecord(*subkey));
        if (m_lockboxes.back()->needsRewrite())
            legacy.emplace_back(m_lockboxes.back().get(), *subkey);
    }
    // Records of the earlier format are written again under their new name; the old subkey
    // goes only once the new record is there, and never when both names are the same key.
    for (auto& [lockbox, oldSubkey] : legacy) {
        if (!saveRecord(*lockbox))
            continue;
        if (CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, oldSubkey.c_str(), -1,
                           subkeyOf(lockbox->name()).c_str(), -1) != CSTR_EQUAL)
            vaults.deleteSubkey(oldSubkey);
    }
    if (onListLoaded)
        onListLoaded();
    return m_lockboxes;
}

bool CVault::createRecord(const SNewLockbox& answers)
{
    // An empty name enciphers to an empty subkey name, which would put the values on the
    // Vaults key itself.
    if (answers.name.empty())
        return false;
    CVaultRegKey record(recordPath(subkeyOf(answers.name)));
    return record.writeEncipheredString(kDataFile, answers.dataFile)
        && record.writeDword(kOpenWithVault, answers.openWithVault ? 1 : 0)
        && record.writeDword(kShortcutKey, answers.shortcutKey)
        && record.writeDword(kShortcutModifiers, answers.shortcutModifiers) && record.writeDword(kFormat, 1);
}

bool CVault::saveRecord(CLockbox& lockbox)
{
    if (lockbox.name().empty())
        return false;
    CVaultRegKey record(recordPath(subkeyOf(lockbox.name())));
    bool ok = record.writeEncipheredString(kDataFile, lockbox.dataFile());
    ok = record.writeDword(kOpenWithVault, lockbox.openWithVault() ? 1 : 0) && ok;
    ok = record.writeDword(kExcludeFromSearch, lockbox.excludeFromSearch() ? 1 : 0) && ok;
    const std::wstring drive = lockbox.driveText();
    if (drive != L"-")
        m_desktop->applySearchExclusion(drive, lockbox.excludeFromSearch());
    ok = record.writeDword(kIconShown, lockbox.iconShown() ? 1 : 0) && ok;
    ok = record.writeDword(kShortcutKey, lockbox.shortcutKey()) && ok;
    ok = record.writeDword(kShortcutModifiers, lockbox.shortcutModifiers()) && ok;
    ok = record.writeDword(kTimeout, lockbox.timeoutSeconds()) && ok;
    ok = record.writeDword(kPreferredDrive, lockbox.preferredDrive()) && ok;
    ok = record.writeDword(kFormat, 1) && ok;
    ok = record.writeString(kIconClass, lockbox.iconClass()) && ok;
    if (ok)
        lockbox.setNeedsRewrite(false);
    return ok;
}

bool CVault::deleteRecord(const CLockbox& lockbox)
{
    const std::wstring subkey = subkeyOf(lockbox.name());
    if (subkey.empty())
        return false; // never the whole Vaults key
    CVaultRegKey vaults(vaultkeys::Vaults);
    return vaults.deleteSubkey(subkey);
}

CLockbox* CVault::findLockbox(const std::wstring& text, bool byPath) const
{
    std::wstring wanted = text;
    if (byPath && wanted.compare(0, 3, L"UNC") == 0)
        wanted.replace(0, 3, L"\\");
    for (const auto& lockbox : m_lockboxes)
        if (equalsIgnoringAsciiCase(byPath ? lockbox->dataFile() : lockbox->name(), wanted))
            return lockbox.get();
    return nullptr;
}

void CVault::discardNewLockbox(const SNewLockbox& answers)
{
    if (!answers.name.empty()) {
        CVaultRegKey vaults(vaultkeys::Vaults);
        vaults.deleteSubkey(subkeyOf(answers.name));
    }
    DeleteFileW(answers.dataFile.c_str());
    DeleteFileW(CPrivateAreaFile::sideFilePath(answers.dataFile).c_str());
    loadLockboxes(true);
}

bool CVault::createLockbox(SNewLockbox& answers, int& status)
{
    status = -1;
    // The record of another lockbox of that name would be overwritten, and then removed with
    // this one if anything failed.
    CVaultRegKey existing(recordPath(subkeyOf(answers.name)));
    if (answers.name.empty() || existing.openForReading())
        return false;
    existing.close();
    CFileHandle file;
    std::wstring path;
    if (!CDataFile::create(answers.folder, answers.capacityMB, file, path)) {
        status = IDS_CREATE_DATA_FILE_FAILED;
        return false;
    }
    answers.dataFile = path;
    // A data file without keys would pass for an earlier-format lockbox whose disk key is
    // the password: whatever fails from here on takes the record and the file away again.
    if (!createRecord(answers)) {
        file.reset();
        discardNewLockbox(answers);
        return false;
    }
    loadLockboxes(true);
    if (!findLockbox(path, true)) {
        file.reset();
        discardNewLockbox(answers);
        return false;
    }
    CLockboxKeys keys(path, answers.password, CLockboxKeys::DiskKeyLength);
    bool made = keys.createKeys(answers.password, answers.question, answers.answer, file.get());
    file.reset();
    if (!made) {
        discardNewLockbox(answers);
        return false;
    }
    status = 0;
    return true;
}

bool CVault::deleteLockbox(const CLockbox& lockbox, bool deleteData)
{
    m_desktop->removeDesktopIcon(lockbox);
    deleteRecord(lockbox);
    if (deleteData) {
        const std::wstring& path = lockbox.dataFile();
        if (CDataFile::exists(path) && !DeleteFileW(path.c_str()))
            CVaultMessages::messageBox(substituteString(IDS_DELETE_DATA_FAILED, {path}), MB_OK);
        const std::wstring side = CPrivateAreaFile::sideFilePath(path);
        if (CDataFile::exists(side))
            DeleteFileW(side.c_str());
    }
    return true;
}

bool CVault::checkDataFile(const CLockbox& lockbox, bool reportErrors, bool useBalloon, int& status, bool& reported)
{
    CDataFile::SCheck check = CDataFile::check(lockbox.dataFile());
    if (check.usable())
        return true;
    status = check.status;
    if (reportErrors) {
        const std::wstring text = substituteString(check.messageId, {lockbox.name()});
        if (useBalloon)
            CVaultMessages::popup(text, CVaultMessages::Failure, 5000);
        else
            CVaultMessages::messageBox(text, MB_OK | MB_ICONERROR);
        reported = true;
    }
    return false;
}
