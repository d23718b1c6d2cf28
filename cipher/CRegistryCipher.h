#pragma once
// Texts and records kept enciphered in the registry: Twofish under a 32-byte key, the data
// zero-filled to whole 16-byte blocks and written as upper-case hexadecimal digits, two per
// byte, high nibble first. Chronel's settings store and the vault's records each use their
// own key with this one codec.

#include "CTwofish.h"

#include <cstdint>
#include <string>
#include <vector>

class CRegistryCipher {
public:
    // Builds the key into the array it is given: a key put together at run time is never
    // whole in the program image.
    using KeyBuilder = void (*)(uint8_t (&key)[32]);

    explicit CRegistryCipher(const uint8_t (&key)[32]) : m_cipher(key, sizeof key), m_keyed(true) {}
    // Keyed on first use: most registry accesses never encipher anything, and the key
    // schedule is the costly part.
    explicit CRegistryCipher(KeyBuilder buildKey) : m_buildKey(buildKey) {}

    std::wstring encipher(const void* bytes, size_t length) const;
    // The text's UTF-16LE code units, without a terminator.
    std::wstring encipherText(const std::wstring& text) const;

    // Only pairs of upper-case hexadecimal digits are accepted, which is all this codec
    // writes: anything else is a damaged or foreign value, and false. `bytes` then holds the
    // deciphered data and two zero bytes after it, so a text that filled its last block is
    // still terminated.
    bool decipher(const std::wstring& hex, std::vector<uint8_t>& bytes) const;
    // The data read as a zero-terminated UTF-16LE text.
    bool decipherText(const std::wstring& hex, std::wstring& text) const;

private:
    const CTwofish& cipher() const;

    KeyBuilder m_buildKey = nullptr;
    mutable CTwofish m_cipher;
    mutable bool m_keyed = false;
};
