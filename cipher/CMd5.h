#pragma once
// MD5 message digest (RFC 1321), and the text hash and wrapping key the vault builds on it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class CMd5 {
public:
    using Digest = std::array<uint8_t, 16>;

    CMd5() { reset(); }

    void reset();
    void update(const void* data, size_t length);
    Digest finish();

    static Digest digest(const void* data, size_t length);

    // H(t): MD5 over the UTF-16LE bytes of the text with every 0 byte dropped, as 32
    // upper-case hexadecimal digits. For ASCII text this is the MD5 of the ASCII bytes.
    static std::wstring textHash(const std::wstring& text);
    // The 16 bytes that the 32 digits of H(t) stand for.
    static Digest wrappingKey(const std::wstring& text);

    static std::wstring toHex(const uint8_t* bytes, size_t length);

private:
    void transform(const uint8_t block[64]);

    uint32_t m_state[4];
    uint64_t m_bits;
    uint8_t m_buffer[64];
    size_t m_used;
};
