#include "CRegistryKey.h"

#include "RegistryValue.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>

namespace {

// Enumeration reads names into a buffer of this many characters: the registry's limit for a
// value name is 16383 characters.
constexpr DWORD kEnumNameChars = 16384;
constexpr DWORD kEnumDataBytes = 16384;

// The key of the enciphered settings is assembled byte by byte at run time so that it never
// appears whole in the program image.
void buildSettingsKey(uint8_t (&key)[32])
{
    static const BYTE parts[4][8] = {{0x5A, 0x13, 0xC7, 0x2E, 0x91, 0x4B, 0xF0, 0x68},
                                     {0x3D, 0xA2, 0x7C, 0x15, 0xE9, 0x86, 0x0B, 0xD4},
                                     {0x62, 0xBF, 0x29, 0x70, 0xCE, 0x1A, 0x95, 0x3F},
                                     {0xA8, 0x57, 0x04, 0xEB, 0x36, 0xDD, 0x81, 0x4C}};
    for (int i = 0; i < 32; ++i)
        key[i] = static_cast<BYTE>(parts[i % 4][i / 4] ^ (0x21 * (i + 1)));
}

} // namespace

CRegistryKey::CRegistryKey(HKEY root, std::wstring path)
    : m_root(root), m_path(std::move(path)), m_cipher(&buildSettingsKey)
{
}

bool CRegistryKey::openForRead()
{
    close();
    return RegOpenKeyExW(m_root, m_path.c_str(), 0, KEY_READ, m_handle.put()) == ERROR_SUCCESS;
}

bool CRegistryKey::openForWrite(REGSAM access)
{
    close();
    return RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                           nullptr, m_handle.put(), nullptr)
        == ERROR_SUCCESS;
}

bool CRegistryKey::query(const wchar_t* name, DWORD& type, std::vector<BYTE>& data)
{
    return openForRead() && queryRegistryValue(m_handle.get(), name, type, data);
}

bool CRegistryKey::readDword(const wchar_t* name, DWORD& out)
{
    if (!openForRead())
        return false;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExW(m_handle.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size)
            != ERROR_SUCCESS
        || type != REG_DWORD || size != sizeof value)
        return false;
    out = value;
    return true;
}

bool CRegistryKey::writeDword(const wchar_t* name, DWORD value)
{
    if (!openForWrite(KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY))
        return false;
    return RegSetValueExW(m_handle.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value)
        == ERROR_SUCCESS;
}

bool CRegistryKey::readString(const wchar_t* name, std::wstring& out)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!query(name, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::wstring text = registryText(data);
    // The expansion buffer holds the stored characters and 260 more, at least 1024.
    out = type == REG_EXPAND_SZ ? expandEnvironment(text, std::max<size_t>(text.size() + 260, 1024)) : std::move(text);
    return true;
}

bool CRegistryKey::writeString(const wchar_t* name, const std::wstring& text)
{
    if (!openForWrite(KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY))
        return false;
    // Written up to the first zero, so that what is read back is what was stored.
    DWORD chars = static_cast<DWORD>(std::wcslen(text.c_str()));
    return RegSetValueExW(m_handle.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          (chars + 1) * sizeof(wchar_t))
        == ERROR_SUCCESS;
}

bool CRegistryKey::readBinary(const wchar_t* name, void* buffer, DWORD capacity, DWORD& size)
{
    if (!openForRead())
        return false;
    DWORD type = 0, got = capacity;
    if (RegQueryValueExW(m_handle.get(), name, nullptr, &type, static_cast<BYTE*>(buffer), &got) != ERROR_SUCCESS
        || type != REG_BINARY)
        return false;
    size = got;
    return true;
}

bool CRegistryKey::readAnyAlloc(const wchar_t* name, std::vector<BYTE>& out, DWORD* type)
{
    DWORD t = 0;
    std::vector<BYTE> data;
    if (!query(name, t, data))
        return false;
    out = std::move(data);
    if (type)
        *type = t;
    return true;
}

bool CRegistryKey::writeBinary(const wchar_t* name, const void* bytes, DWORD count)
{
    if (!openForWrite(KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY))
        return false;
    return RegSetValueExW(m_handle.get(), name, 0, REG_BINARY, static_cast<const BYTE*>(bytes), count)
        == ERROR_SUCCESS;
}

bool CRegistryKey::deleteValue(const wchar_t* name)
{
    if (!openForWrite(KEY_ALL_ACCESS))
        return false;
    return RegDeleteValueW(m_handle.get(), name) == ERROR_SUCCESS;
}

DWORD CRegistryKey::countValues()
{
    if (!openForRead())
        return 0;
    DWORD count = 0;
    if (RegQueryInfoKeyW(m_handle.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                         nullptr, nullptr, nullptr)
        != ERROR_SUCCESS)
        return 0;
    return count;
}

bool CRegistryKey::nextStringValue(DWORD& cursor, std::wstring& data, std::wstring* name)
{
    if (!openForRead())
        return false;
    std::vector<wchar_t> nameBuffer(kEnumNameChars);
    std::vector<BYTE> dataBuffer(kEnumDataBytes);
    for (DWORD index = cursor;; ++index) {
        DWORD nameLength = kEnumNameChars, type = 0, dataSize = static_cast<DWORD>(dataBuffer.size());
        LONG rc = RegEnumValueW(m_handle.get(), index, nameBuffer.data(), &nameLength, nullptr, &type,
                                dataBuffer.data(), &dataSize);
        if (rc == ERROR_MORE_DATA) {
            // Data larger than the buffer: grow to what the key's largest value needs and
            // read the same index again rather than end the enumeration early.
            DWORD maxData = 0;
            if (RegQueryInfoKeyW(m_handle.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, &maxData, nullptr, nullptr)
                    != ERROR_SUCCESS
                || maxData <= dataBuffer.size())
                return false;
            dataBuffer.resize(maxData);
            --index;
            continue;
        }
        if (rc != ERROR_SUCCESS)
            return false;
        if (type != REG_SZ)
            continue;
        dataBuffer.resize(dataSize);
        data = registryText(dataBuffer);
        if (name)
            name->assign(nameBuffer.data(), nameLength);
        cursor = index + 1;
        return true;
    }
}

bool CRegistryKey::nextValueName(DWORD& cursor, std::wstring& name)
{
    if (!openForRead())
        return false;
    std::vector<wchar_t> buffer(kEnumNameChars);
    DWORD length = kEnumNameChars;
    if (RegEnumValueW(m_handle.get(), cursor, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr)
        != ERROR_SUCCESS)
        return false;
    name.assign(buffer.data(), length);
    ++cursor;
    return true;
}

bool CRegistryKey::readEnciphered(const wchar_t* name, std::wstring& out, bool decipher)
{
    std::wstring stored;
    if (!readString(name, stored))
        return false;
    if (!decipher) {
        out = std::move(stored);
        return true;
    }
    return m_cipher.decipherText(stored, out);
}

bool CRegistryKey::writeEnciphered(const wchar_t* name, const std::wstring& text)
{
    return writeString(name, m_cipher.encipherText(text));
}

bool CRegistryKey::deleteTree(HKEY root, const wchar_t* path)
{
    DWORD rc = SHDeleteKeyW(root, path);
    return rc == ERROR_SUCCESS;
}
