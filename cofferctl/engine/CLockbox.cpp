#include "CLockbox.h"

#include "CMd5.h"
#include "CVaultMessages.h"
#include "FileIo.h"
#include "UniqueHandle.h"
#include "ResourceString.h"
#include "resource.h"

#include <cwctype>

namespace {

int hexValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    c = static_cast<wchar_t>(std::towupper(c));
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return 0;
}

bool sameHex(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

} // namespace

DWORD CLockbox::identifierFromClass(const std::wstring& iconClass)
{
    if (iconClass.empty())
        return 0;
    DWORD id = 0;
    const size_t positions[4] = {25, 15, 10, 1};
    for (int i = 0; i < 4; ++i) {
        size_t p = positions[i];
        int high = p < iconClass.size() ? hexValue(iconClass[p]) : 0;
        int low = p + 1 < iconClass.size() ? hexValue(iconClass[p + 1]) : 0;
        id |= static_cast<DWORD>(high << 4 | low) << (8 * i);
    }
    return id;
}

void CLockbox::setDataFile(const std::wstring& path)
{
    if (path != m_dataFile) {
        m_keys.reset();
        m_sizeMegabytes = -1;
    }
    m_dataFile = path;
}

void CLockbox::setPreferredDrive(wchar_t letter)
{
    letter = static_cast<wchar_t>(std::towupper(letter));
    m_preferredDrive = letter >= L'A' && letter <= L'Z' ? letter : 0;
}

void CLockbox::setIconClass(const std::wstring& text)
{
    m_iconClass = text;
    m_identifier = identifierFromClass(text);
}

std::wstring CLockbox::driveText() const
{
    if (attached() && m_device.drive[0])
        return m_device.drive;
    if (m_preferredDrive)
        return std::wstring(1, m_preferredDrive) + L":";
    return L"-";
}

uint64_t CLockbox::sizeMegabytes()
{
    if (attached())
        return m_device.diskSize >> 20;
    if (m_sizeMegabytes < 0) {
        CFileHandle file(CreateFileW(m_dataFile.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        uint64_t size = 0;
        // A missing file reads as 0 until the lockbox is loaded again.
        if (!file || !fileio::size(file.get(), size))
            return 0;
        m_sizeMegabytes = static_cast<int64_t>(size >> 20);
    }
    return static_cast<uint64_t>(m_sizeMegabytes);
}

CLockboxKeys* CLockbox::keys()
{
    if (!m_keys || m_keys->areaStatus() != CPrivateArea::Status::Present) {
        m_keys = std::make_unique<CLockboxKeys>(m_dataFile);
        m_keys->load();
    }
    return m_keys.get();
}

std::unique_ptr<CLockbox> CLockbox::recordCopy() const
{
    auto copy = std::make_unique<CLockbox>();
    copy->m_name = m_name;
    copy->m_legacyPasswordCheck = m_legacyPasswordCheck;
    copy->m_dataFile = m_dataFile;
    copy->m_openWithVault = m_openWithVault;
    copy->m_shortcutKey = m_shortcutKey;
    copy->m_shortcutModifiers = m_shortcutModifiers;
    copy->m_preferredDrive = m_preferredDrive;
    copy->m_excludeFromSearch = m_excludeFromSearch;
    copy->m_iconClass = m_iconClass;
    copy->m_iconShown = m_iconShown;
    copy->m_timeoutSeconds = m_timeoutSeconds;
    copy->m_identifier = m_identifier;
    return copy;
}

CLockboxKeys* CLockbox::keysWithArea()
{
    CLockboxKeys* k = keys();
    return k->areaStatus() == CPrivateArea::Status::Present && !k->area().passwordVerifier.empty() ? k : nullptr;
}

bool CLockbox::checkWritten()
{
    if (!m_keys || !m_keys->writeFailed())
        return true;
    CVaultMessages::messageBox(substituteString(IDS_WRITE_FAILED, {m_dataFile}), MB_OK | MB_ICONERROR);
    m_keys.reset();
    return false;
}

bool CLockbox::unlockWithAccount(CSecretBytes& diskKey)
{
    CLockboxKeys* k = keysWithArea();
    return k && k->unlockWithAccount(diskKey);
}

bool CLockbox::unlockWithPassword(const std::wstring& password, bool verifyOnly, CSecretBytes& diskKey)
{
    CLockboxKeys* k = keys();
    switch (k->areaStatus()) {
    case CPrivateArea::Status::Present: {
        bool ok = k->unlockWithPassword(password, true, diskKey);
        checkWritten(); // a failed account entry is reported; the password was still right
        return ok;
    }
    case CPrivateArea::Status::Absent:
        return unlockEarlierFormat(password, verifyOnly, diskKey);
    default:
        // A damaged area is no earlier-format lockbox: its disk key is not the password.
        return false;
    }
}

bool CLockbox::unlockEarlierFormat(const std::wstring& password, bool verifyOnly, CSecretBytes& diskKey)
{
    if (password.empty())
        return false;
    if (!m_legacyPasswordCheck.empty() && !sameHex(m_legacyPasswordCheck, CMd5::textHash(password)))
        return false;
    if (verifyOnly)
        return false;
    // The earlier format used the password itself as the disk key: its non-zero UTF-16LE
    // bytes, at most 16, zero-padded.
    CSecretBytes key(CLockboxKeys::DiskKeyLength);
    size_t used = 0;
    for (wchar_t c : password)
        for (BYTE b : {static_cast<BYTE>(c & 0xFF), static_cast<BYTE>(c >> 8)})
            if (b && used < key.size())
                key.data()[used++] = b;
    m_keys = std::make_unique<CLockboxKeys>(m_dataFile, password, CLockboxKeys::DiskKeyLength);
    m_keys->upgradeKeys(key);
    checkWritten(); // the contents open with this key whether or not the upgrade was written
    diskKey = std::move(key);
    return true;
}

bool CLockbox::verifyPassword(const std::wstring& password)
{
    CLockboxKeys* k = keysWithArea();
    return k && k->verifyPassword(password);
}

bool CLockbox::verifyAnswer(const std::wstring& answer)
{
    CLockboxKeys* k = keysWithArea();
    return k && k->verifyAnswer(answer);
}

bool CLockbox::changePassword(const std::wstring& oldPasswordOrAnswer, const std::wstring& newPassword,
                              bool byOldPassword)
{
    CLockboxKeys* k = keysWithArea();
    if (!k)
        return false;
    bool ok = k->changePassword(oldPasswordOrAnswer, newPassword, byOldPassword);
    return checkWritten() && ok;
}

bool CLockbox::setQuestion(const std::wstring& question, const std::wstring& answer, const CSecretBytes& diskKey)
{
    CLockboxKeys* k = keysWithArea();
    if (!k)
        return false;
    k->setQuestion(question, answer, diskKey);
    return checkWritten();
}

std::wstring CLockbox::question()
{
    CLockboxKeys* k = keysWithArea();
    return k ? k->question() : std::wstring();
}

int CLockbox::mode()
{
    CLockboxKeys* k = keysWithArea();
    return k ? k->mode() : 1;
}

bool CLockbox::setMode(const std::wstring& password, int mode)
{
    CLockboxKeys* k = keysWithArea();
    if (!k || !k->verifyPassword(password))
        return false;
    k->setMode(password, mode);
    return checkWritten();
}
