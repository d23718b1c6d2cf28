#include "CRegistryCipher.h"

#include <cstring>
#include <cwchar>

namespace {

int hexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

} // namespace

const CTwofish& CRegistryCipher::cipher() const
{
    if (!m_keyed) {
        uint8_t key[32];
        m_buildKey(key);
        m_cipher.setKey(key, sizeof key);
        // The key's bytes do not outlive the schedule made from them.
        volatile uint8_t* wipe = key;
        for (size_t i = 0; i < sizeof key; ++i)
            wipe[i] = 0;
        m_keyed = true;
    }
    return m_cipher;
}

std::wstring CRegistryCipher::encipher(const void* bytes, size_t length) const
{
    const size_t padded = (length + CTwofish::BlockSize - 1) / CTwofish::BlockSize * CTwofish::BlockSize;
    std::vector<uint8_t> buffer(padded, 0);
    if (length)
        std::memcpy(buffer.data(), bytes, length);
    cipher().encipher(buffer.data(), buffer.size());
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring hex;
    hex.reserve(padded * 2);
    for (uint8_t b : buffer) {
        hex += digits[b >> 4];
        hex += digits[b & 0xF];
    }
    return hex;
}

std::wstring CRegistryCipher::encipherText(const std::wstring& text) const
{
    return encipher(text.data(), text.size() * sizeof(wchar_t));
}

bool CRegistryCipher::decipher(const std::wstring& hex, std::vector<uint8_t>& bytes) const
{
    if (hex.size() % 2)
        return false;
    const size_t length = hex.size() / 2;
    std::vector<uint8_t> buffer(length + sizeof(wchar_t), 0);
    for (size_t i = 0; i < length; ++i) {
        const int high = hexDigit(hex[2 * i]), low = hexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        buffer[i] = static_cast<uint8_t>(high << 4 | low);
    }
    cipher().decipher(buffer.data(), length);
    bytes = std::move(buffer);
    return true;
}

bool CRegistryCipher::decipherText(const std::wstring& hex, std::wstring& text) const
{
    std::vector<uint8_t> bytes;
    if (!decipher(hex, bytes))
        return false;
    // Whole characters up to the first zero; the two spare bytes guarantee there is one.
    std::wstring decoded(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(decoded.data(), bytes.data(), decoded.size() * sizeof(wchar_t));
    decoded.resize(std::wcslen(decoded.c_str()));
    text = std::move(decoded);
    return true;
}
