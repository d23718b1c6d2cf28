#include "CVaultRegKey.h"

#include "RegistryValue.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kMaxPathChars = 255;
// RegEnumKeyW names: the registry allows up to 16383 characters.
constexpr DWORD kSubkeyNameChars = 16384;
constexpr REGSAM kReadAccess = KEY_READ;                // 0x20019
constexpr REGSAM kWriteAccess = KEY_READ | KEY_WRITE;   // 0x2001F
constexpr REGSAM kDeleteAccess = KEY_ALL_ACCESS;        // 0xF003F

// The registry cipher's key is the same for every record and installation. It is put
// together byte by byte each time, so that the program image never holds it in one piece.
void buildRecordKey(uint8_t (&key)[32])
{
    const BYTE a = 0x3C, b = 0xA5;
    key[0] = 0x6E; key[1] = 0x1F; key[2] = 0xC2; key[3] = 0x58;
    key[4] = 0x97; key[5] = 0x0D; key[6] = 0xE4; key[7] = 0x31;
    for (int i = 8; i < 32; ++i)
        key[i] = static_cast<BYTE>((key[i - 8] * 5 + a) ^ (b + i));
}

} // namespace

CVaultRegKey::CVaultRegKey(const std::wstring& path) : m_path(path.substr(0, kMaxPathChars)), m_cipher(&buildRecordKey)
{
}

void CVaultRegKey::close()
{
    m_key.reset();
    m_open = false;
}

bool CVaultRegKey::openWith(REGSAM access, bool create)
{
    close();
    LONG rc = create ? RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                       nullptr, m_key.put(), nullptr)
                     : RegOpenKeyExW(m_root, m_path.c_str(), 0, access, m_key.put());
    m_open = rc == ERROR_SUCCESS;
    if (!m_open)
        m_key.release();
    return m_open;
}

bool CVaultRegKey::openForReading() { return openWith(kReadAccess, false); }
bool CVaultRegKey::openForWriting() { return openWith(kWriteAccess, true); }
bool CVaultRegKey::openForDeleting() { return openWith(kDeleteAccess, true); }

bool CVaultRegKey::query(const wchar_t* name, DWORD& type, std::vector<BYTE>& data)
{
    return openForReading() && queryRegistryValue(m_key.get(), name, type, data);
}

bool CVaultRegKey::readDword(const wchar_t* name, DWORD& value)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!query(name, type, data) || type != REG_DWORD || data.size() != sizeof(DWORD))
        return false;
    std::memcpy(&value, data.data(), sizeof value);
    return true;
}

bool CVaultRegKey::writeDword(const wchar_t* name, DWORD value)
{
    return openForWriting()
        && RegSetValueExW(m_key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value)
        == ERROR_SUCCESS;
}

bool CVaultRegKey::readString(const wchar_t* name, std::wstring& text)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!query(name, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    // The expansion buffer holds the stored bytes' count in characters and 260 more, at
    // least 1024.
    text = type == REG_EXPAND_SZ ? expandEnvironment(registryText(data), std::max<size_t>(data.size() + MAX_PATH, 1024))
                                 : registryText(data);
    return true;
}

bool CVaultRegKey::writeString(const wchar_t* name, const std::wstring& text)
{
    // Stored up to the first zero, with the terminator.
    DWORD chars = static_cast<DWORD>(std::wcslen(text.c_str()));
    return openForWriting()
        && RegSetValueExW(m_key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          (chars + 1) * sizeof(wchar_t))
        == ERROR_SUCCESS;
}

bool CVaultRegKey::readBinary(const wchar_t* name, std::vector<BYTE>& bytes)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!query(name, type, data) || type != REG_BINARY)
        return false;
    bytes = std::move(data);
    return true;
}

bool CVaultRegKey::writeBinary(const wchar_t* name, const void* bytes, DWORD length)
{
    return openForWriting()
        && RegSetValueExW(m_key.get(), name, 0, REG_BINARY, static_cast<const BYTE*>(bytes), length)
        == ERROR_SUCCESS;
}

bool CVaultRegKey::deleteSubkey(const std::wstring& name)
{
    return openForDeleting() && SHDeleteKeyW(m_key.get(), name.c_str()) == ERROR_SUCCESS;
}

std::optional<std::wstring> CVaultRegKey::enumerateSubkey(DWORD index)
{
    if (!openForReading())
        return std::nullopt;
    std::vector<wchar_t> name(kSubkeyNameChars);
    if (RegEnumKeyW(m_key.get(), index, name.data(), kSubkeyNameChars) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(name.data());
}

std::wstring CVaultRegKey::encipherBytes(const void* bytes, size_t length) const
{
    return m_cipher.encipher(bytes, length);
}

std::wstring CVaultRegKey::encipherText(const std::wstring& text) const { return m_cipher.encipherText(text); }

std::wstring CVaultRegKey::decipherText(const std::wstring& hex, bool legacy) const
{
    // A damaged or foreign value gives no text.
    if (!legacy) {
        std::wstring text;
        return m_cipher.decipherText(hex, text) ? text : std::wstring();
    }
    std::vector<uint8_t> bytes;
    if (!m_cipher.decipher(hex, bytes))
        return {};
    // The earlier version stored ANSI text in the system code page; the two spare zero bytes
    // end it.
    const char* ansi = reinterpret_cast<const char*>(bytes.data());
    int length = static_cast<int>(std::strlen(ansi));
    if (length == 0)
        return {};
    int chars = MultiByteToWideChar(CP_ACP, 0, ansi, length, nullptr, 0);
    std::wstring text(chars > 0 ? chars : 0, L'\0');
    if (chars > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi, length, text.data(), chars);
    return text;
}

bool CVaultRegKey::readEncipheredString(const wchar_t* name, std::wstring& text, bool legacy)
{
    std::wstring hex;
    if (!readString(name, hex))
        return false;
    text = decipherText(hex, legacy);
    return true;
}

bool CVaultRegKey::writeEncipheredString(const wchar_t* name, const std::wstring& text)
{
    return writeString(name, encipherText(text));
}
