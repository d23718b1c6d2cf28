#pragma once
// Registry accessor of the vault's keys under HKEY_CURRENT_USER. Every operation (re)opens the
// key and leaves it open until the next one; the destructor closes it. Texts that must not be
// readable at a glance (lockbox names and data-file paths) go through the registry cipher
// (CRegistryCipher) under the vault's own key.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "CRegistryCipher.h"
#include "UniqueHandle.h"

class CVaultRegKey {
public:
    explicit CVaultRegKey(const std::wstring& path);
    ~CVaultRegKey() = default;
    CVaultRegKey(const CVaultRegKey&) = delete;
    CVaultRegKey& operator=(const CVaultRegKey&) = delete;

    bool openForReading();
    bool openForWriting();
    bool openForDeleting();
    bool isOpen() const { return m_open; }
    void close();

    // True only for a REG_DWORD of 4 bytes; `value` is untouched otherwise.
    bool readDword(const wchar_t* name, DWORD& value);
    bool writeDword(const wchar_t* name, DWORD value);
    // REG_SZ, or REG_EXPAND_SZ expanded; any other type fails.
    bool readString(const wchar_t* name, std::wstring& text);
    bool writeString(const wchar_t* name, const std::wstring& text);
    bool readBinary(const wchar_t* name, std::vector<BYTE>& bytes);
    bool writeBinary(const wchar_t* name, const void* bytes, DWORD length);

    bool deleteSubkey(const std::wstring& name);
    std::optional<std::wstring> enumerateSubkey(DWORD index);

    // A legacy record's texts were ANSI before they were enciphered.
    bool readEncipheredString(const wchar_t* name, std::wstring& text, bool legacy = false);
    bool writeEncipheredString(const wchar_t* name, const std::wstring& text);

    std::wstring encipherText(const std::wstring& text) const;
    // Enciphers raw bytes (zero-padded to whole blocks) into hex digits.
    std::wstring encipherBytes(const void* bytes, size_t length) const;
    // Empty for a value that is not pairs of upper-case hexadecimal digits.
    std::wstring decipherText(const std::wstring& hex, bool legacy) const;

    const std::wstring& path() const { return m_path; }

private:
    bool openWith(REGSAM access, bool create);
    bool query(const wchar_t* name, DWORD& type, std::vector<BYTE>& data);

    CKeyHandle m_key;
    bool m_open = false;
    HKEY m_root = HKEY_CURRENT_USER;
    std::wstring m_path;
    CRegistryCipher m_cipher;
};
