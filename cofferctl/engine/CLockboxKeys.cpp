#include "CLockboxKeys.h"

#include "CCryptoEngine.h"
#include "CMd5.h"
#include "CTwofish.h"

#include <cstring>

namespace {

std::string ascii(const std::wstring& hex)
{
    return std::string(hex.begin(), hex.end());
}

// H(H(t)): what the area stores to check a password or answer.
std::string verifierOf(const std::wstring& text)
{
    return ascii(CMd5::textHash(CMd5::textHash(text)));
}

// Twofish-128 keyed with the wrapping key of `text`, over a disk key.
std::vector<BYTE> wrapWithText(const std::wstring& text, const CSecretBytes& diskKey)
{
    CMd5::Digest key = CMd5::wrappingKey(text);
    CTwofish cipher(key.data(), key.size());
    SecureZeroMemory(key.data(), key.size());
    std::vector<BYTE> wrapped(diskKey.bytes());
    cipher.encipher(wrapped.data(), wrapped.size());
    return wrapped;
}

CSecretBytes unwrapWithText(const std::wstring& text, const std::vector<BYTE>& wrapped)
{
    CMd5::Digest key = CMd5::wrappingKey(text);
    CTwofish cipher(key.data(), key.size());
    SecureZeroMemory(key.data(), key.size());
    CSecretBytes plain(wrapped.data(), wrapped.size());
    cipher.decipher(plain.data(), plain.size());
    return plain;
}

} // namespace

CLockboxKeys::CLockboxKeys(const std::wstring& dataFile, const std::wstring& password, size_t keyLength)
    : m_area(dataFile), m_keyLength(keyLength), m_password(password)
{
    // A failed initialisation is tried again with the next key object.
    CCryptoEngine::instance().ensureInitialised();
}

CLockboxKeys::~CLockboxKeys()
{
    SecureZeroMemory(m_password.data(), m_password.size() * sizeof(wchar_t));
    SecureZeroMemory(m_answer.data(), m_answer.size() * sizeof(wchar_t));
}

bool CLockboxKeys::rewrite(HANDLE file)
{
    m_writeFailed = !m_area.write(file);
    if (!m_writeFailed)
        m_areaStatus = CPrivateArea::Status::Present;
    return !m_writeFailed;
}

void CLockboxKeys::makeModeToken()
{
    const char* text = m_mode == 0 ? AccountToken : PasswordOnlyToken;
    BYTE key[32] = {};
    std::memcpy(key, m_area.passwordVerifier.data(), std::min<size_t>(m_area.passwordVerifier.size(), sizeof key));
    CTwofish cipher(key, sizeof key);
    m_area.modeToken.assign(text, text + 32);
    cipher.encipher(m_area.modeToken.data(), m_area.modeToken.size());
}

int CLockboxKeys::modeFromToken() const
{
    if (m_area.modeToken.size() < 32)
        return 1;
    BYTE key[32] = {};
    std::memcpy(key, m_area.passwordVerifier.data(), std::min<size_t>(m_area.passwordVerifier.size(), sizeof key));
    CTwofish cipher(key, sizeof key);
    std::vector<BYTE> plain(m_area.modeToken.begin(), m_area.modeToken.begin() + 32);
    cipher.decipher(plain.data(), plain.size());
    return std::memcmp(plain.data(), AccountToken, 32) == 0 ? 0 : 1;
}

void CLockboxKeys::makePasswordItems(const CSecretBytes& diskKey)
{
    m_area.passwordVerifier = verifierOf(m_password);
    m_area.passwordWrappedKey = wrapWithText(m_password, diskKey);
    makeModeToken();
}

void CLockboxKeys::makeAnswerItems(const CSecretBytes& diskKey)
{
    m_area.answerVerifier = verifierOf(m_answer);
    m_area.answerWrappedKey = wrapWithText(m_answer, diskKey);
}

// Steps shared by a new lockbox and the upgrade of an earlier-format one: the account entry
// and digest, the password and answer items, then the area is written.
bool CLockboxKeys::makeItems(const CSecretBytes& diskKey, HANDLE file)
{
    auto wrapped = CCryptoEngine::instance().wrapForAccount(diskKey.data(), static_cast<DWORD>(diskKey.size()));
    m_area.version = 1;
    m_area.userEntries.push_back(std::move(wrapped.data));
    m_area.digest = std::move(wrapped.digest);
    makePasswordItems(diskKey);
    makeAnswerItems(diskKey);
    return rewrite(file);
}

bool CLockboxKeys::createKeys(const std::wstring& password, const std::wstring& question, const std::wstring& answer,
                              HANDLE file)
{
    m_newLockbox = true;
    m_mode = 1;
    m_password = password;
    m_answer = answer;
    m_area.question = question;
    try {
        if (!CCryptoEngine::instance().ensureInitialised())
            return false;
        CSecretBytes diskKey(CCryptoEngine::instance().randomBytes(m_keyLength));
        return makeItems(diskKey, file);
    } catch (const CCryptoError&) {
        return false;
    }
}

bool CLockboxKeys::upgradeKeys(const CSecretBytes& diskKey)
{
    m_mode = 1;
    try {
        if (!CCryptoEngine::instance().ensureInitialised())
            return false;
        return makeItems(diskKey, INVALID_HANDLE_VALUE);
    } catch (const CCryptoError&) {
        return false;
    }
}

bool CLockboxKeys::load()
{
    m_areaStatus = m_area.read();
    if (m_areaStatus != CPrivateArea::Status::Present || m_area.passwordVerifier.empty())
        return false;
    m_mode = modeFromToken();
    return true;
}

bool CLockboxKeys::unlockWithAccount(CSecretBytes& diskKey)
{
    if (m_mode == 1)
        return false;
    try {
        for (const auto& entry : m_area.userEntries) {
            std::vector<BYTE> plain;
            if (CCryptoEngine::instance().unwrapForAccount(entry, m_area.digest, plain)) {
                diskKey = CSecretBytes(std::move(plain));
                m_windowsUnlockFailed = false;
                return true;
            }
        }
    } catch (const CCryptoError&) {
    }
    m_windowsUnlockFailed = true;
    return false;
}

bool CLockboxKeys::verifyPassword(const std::wstring& password) const
{
    return !m_area.passwordVerifier.empty() && verifierOf(password) == m_area.passwordVerifier;
}

bool CLockboxKeys::verifyAnswer(const std::wstring& answer) const
{
    return !answer.empty() && !m_area.answerVerifier.empty() && verifierOf(answer) == m_area.answerVerifier;
}

bool CLockboxKeys::unlockWithPassword(const std::wstring& password, bool addAccount, CSecretBytes& diskKey)
{
    if (!verifyPassword(password))
        return false;
    CSecretBytes key = unwrapWithText(password, m_area.passwordWrappedKey);
    if (m_mode == 0 && addAccount && m_windowsUnlockFailed) {
        // A second Windows account that opens a mode-0 lockbox with the password is let in
        // by its account from then on.
        try {
            auto wrapped = CCryptoEngine::instance().wrapForAccount(key.data(), static_cast<DWORD>(key.size()));
            m_area.userEntries.push_back(std::move(wrapped.data));
            rewrite();
            m_windowsUnlockFailed = false;
        } catch (const CCryptoError&) {
        }
    }
    m_password = password;
    diskKey = std::move(key);
    return true;
}

bool CLockboxKeys::changePassword(const std::wstring& oldPasswordOrAnswer, const std::wstring& newPassword,
                                  bool byOldPassword)
{
    if (newPassword.empty() || oldPasswordOrAnswer.empty())
        return false;
    CSecretBytes diskKey;
    if (byOldPassword) {
        if (oldPasswordOrAnswer == newPassword)
            return true; // nothing changes, nothing is written
        if (!unlockWithPassword(oldPasswordOrAnswer, false, diskKey))
            return false;
    } else {
        if (!verifyAnswer(oldPasswordOrAnswer))
            return false;
        diskKey = unwrapWithText(oldPasswordOrAnswer, m_area.answerWrappedKey);
    }
    m_password = newPassword;
    makePasswordItems(diskKey);
    diskKey.wipe();
    return rewrite();
}

void CLockboxKeys::setQuestion(const std::wstring& question, const std::wstring& answer, const CSecretBytes& diskKey)
{
    m_area.question = question;
    m_answer = answer;
    makeAnswerItems(diskKey);
    rewrite();
}

std::wstring CLockboxKeys::question() const
{
    return m_areaStatus == CPrivateArea::Status::Present ? m_area.question : std::wstring();
}

void CLockboxKeys::setMode(const std::wstring& password, int mode)
{
    if (!verifyPassword(password))
        return;
    m_password = password;
    m_mode = mode == 0 ? 0 : 1;
    makeModeToken();
    rewrite();
}
