#pragma once
// One registry key of the settings store. Every operation opens the key afresh, touches one
// value and leaves the handle open until the next operation or close(), so readers always see
// the latest stored value and no setting outlives one access.

#include <windows.h>

#include <string>
#include <vector>

#include "CRegistryCipher.h"
#include "UniqueHandle.h"

class CRegistryKey {
public:
    CRegistryKey(HKEY root, std::wstring path);
    ~CRegistryKey() = default;

    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // True only for a REG_DWORD of 4 bytes; `out` is untouched otherwise.
    bool readDword(const wchar_t* name, DWORD& out);
    bool writeDword(const wchar_t* name, DWORD value);

    // Accepts REG_SZ and REG_EXPAND_SZ (expanded); `out` is untouched on failure.
    bool readString(const wchar_t* name, std::wstring& out);
    // REG_SZ with its terminating zero.
    bool writeString(const wchar_t* name, const std::wstring& text);

    // REG_BINARY that fits `capacity` bytes; `size` receives the stored length.
    bool readBinary(const wchar_t* name, void* buffer, DWORD capacity, DWORD& size);
    // Any type, stored size.
    bool readAnyAlloc(const wchar_t* name, std::vector<BYTE>& out, DWORD* type = nullptr);
    bool writeBinary(const wchar_t* name, const void* bytes, DWORD count);

    bool deleteValue(const wchar_t* name);
    // Number of values; 0 when the key is missing.
    DWORD countValues();

    // From index `cursor` on, skips values that are not REG_SZ and returns the data (and name)
    // of the next one; `cursor` moves past it. False at the end of the key.
    bool nextStringValue(DWORD& cursor, std::wstring& data, std::wstring* name = nullptr);
    // Name of the value at `cursor`, which then advances. False at the end.
    bool nextValueName(DWORD& cursor, std::wstring& name);

    // Texts kept enciphered as upper-case hexadecimal digits (CRegistryCipher); a value that
    // is not such digits reads as missing. With decipher false the stored digits are returned
    // as they are.
    bool readEnciphered(const wchar_t* name, std::wstring& out, bool decipher = true);
    bool writeEnciphered(const wchar_t* name, const std::wstring& text);

    void close() { m_handle.reset(); }
    bool isOpen() const { return m_handle.valid(); }

    // Deletes `path` below `root` with all its subkeys and values.
    static bool deleteTree(HKEY root, const wchar_t* path);

private:
    bool openForRead();
    bool openForWrite(REGSAM access);
    bool query(const wchar_t* name, DWORD& type, std::vector<BYTE>& data);

    HKEY m_root;
    std::wstring m_path;
    CKeyHandle m_handle;
    CRegistryCipher m_cipher;
};
