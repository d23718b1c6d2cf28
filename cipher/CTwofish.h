#pragma once
// Twofish block cipher (128-bit blocks; 128, 192 or 256-bit keys) applied to a buffer block by
// block: each whole 16-byte block on its own (electronic code book), each byte of a trailing
// part shorter than a block XORed with 0x17, in both directions.

#include <cstddef>
#include <cstdint>

class CTwofish {
public:
    static constexpr size_t BlockSize = 16;

    CTwofish() = default;
    CTwofish(const void* key, size_t length) { setKey(key, length); }
    ~CTwofish();

    CTwofish(const CTwofish&) = delete;
    CTwofish& operator=(const CTwofish&) = delete;

    // A key longer than 32 bytes is cut to 32; a shorter one is zero-padded to the next of
    // 16, 24 or 32 bytes.
    void setKey(const void* key, size_t length);

    void encipher(void* buffer, size_t length) const;
    void decipher(void* buffer, size_t length) const;

    void encipherBlock(const uint8_t in[16], uint8_t out[16]) const;
    void decipherBlock(const uint8_t in[16], uint8_t out[16]) const;

private:
    uint32_t g(uint32_t x) const
    {
        return m_sbox[0][x & 0xFF] ^ m_sbox[1][(x >> 8) & 0xFF] ^ m_sbox[2][(x >> 16) & 0xFF]
            ^ m_sbox[3][x >> 24];
    }

    uint32_t m_subkeys[40] = {};
    // The key-dependent S-boxes with the MDS matrix folded in, one table per input byte.
    uint32_t m_sbox[4][256] = {};
};
