#pragma once
// The key items of one lockbox. The 16-byte disk key that the secure-disk driver enciphers
// the lockbox with is made once and never changes; the private area keeps it only wrapped:
// with the password, with the answer to the secret question, and with the exchange key of
// each Windows account that has opened the lockbox.

#include <windows.h>

#include <string>

#include "CPrivateArea.h"
#include "CSecretBytes.h"

class CLockboxKeys {
public:
    // Plain texts of the mode token: only the password opens (1), or the account may (0).
    static constexpr const char* PasswordOnlyToken = "C3E8105B7F9A4D26B1E04F8A92D6C753";
    static constexpr const char* AccountToken = "7A41C09E5D2B4F38A6E1907C3D5B82F4";
    static constexpr size_t DiskKeyLength = 16;

    explicit CLockboxKeys(const std::wstring& dataFile, const std::wstring& password = {},
                          size_t keyLength = DiskKeyLength);
    ~CLockboxKeys();
    CLockboxKeys(const CLockboxKeys&) = delete;
    CLockboxKeys& operator=(const CLockboxKeys&) = delete;

    // A new lockbox: all items made, the area written at the position of `file`. False when
    // the CryptoAPI fails (the lockbox is then not to be created) or the write fails.
    bool createKeys(const std::wstring& password, const std::wstring& question, const std::wstring& answer,
                    HANDLE file);
    // The items of an earlier-format lockbox made from its existing disk key, the area
    // appended to the data file.
    bool upgradeKeys(const CSecretBytes& diskKey);

    // False when the data file has no usable area or no password verifier.
    bool load();
    CPrivateArea::Status areaStatus() const { return m_areaStatus; }

    bool unlockWithAccount(CSecretBytes& diskKey);
    bool unlockWithPassword(const std::wstring& password, bool addAccount, CSecretBytes& diskKey);
    bool verifyPassword(const std::wstring& password) const;
    bool verifyAnswer(const std::wstring& answer) const;
    bool changePassword(const std::wstring& oldPasswordOrAnswer, const std::wstring& newPassword, bool byOldPassword);
    void setQuestion(const std::wstring& question, const std::wstring& answer, const CSecretBytes& diskKey);
    std::wstring question() const;
    int mode() const { return m_mode; }
    void setMode(const std::wstring& password, int mode);

    // The last rewrite of the private area failed (the caller reports it).
    bool writeFailed() const { return m_writeFailed; }
    const std::wstring& dataFile() const { return m_area.dataFile(); }
    const CPrivateArea& area() const { return m_area; }

private:
    bool makeItems(const CSecretBytes& diskKey, HANDLE file);
    void makePasswordItems(const CSecretBytes& diskKey);
    void makeAnswerItems(const CSecretBytes& diskKey);
    void makeModeToken();
    int modeFromToken() const;
    bool rewrite(HANDLE file = INVALID_HANDLE_VALUE);

    CPrivateArea m_area;
    CPrivateArea::Status m_areaStatus = CPrivateArea::Status::Absent;
    bool m_newLockbox = false;
    int m_mode = 1;
    size_t m_keyLength;
    std::wstring m_password;
    std::wstring m_answer;
    bool m_windowsUnlockFailed = false;
    bool m_writeFailed = false;
};
