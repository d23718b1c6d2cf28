#include "CTwofish.h"

#include <algorithm>
#include <cstring>
#include <windows.h>

namespace {

// The 4-bit permutations that build the fixed byte permutations q0 and q1.
constexpr uint8_t kQt[2][4][16] = {
    {{0x8, 0x1, 0x7, 0xD, 0x6, 0xF, 0x3, 0x2, 0x0, 0xB, 0x5, 0x9, 0xE, 0xC, 0xA, 0x4},
     {0xE, 0xC, 0xB, 0x8, 0x1, 0x2, 0x3, 0x5, 0xF, 0x4, 0xA, 0x6, 0x7, 0x0, 0x9, 0xD},
     {0xB, 0xA, 0x5, 0xE, 0x6, 0xD, 0x9, 0x0, 0xC, 0x8, 0xF, 0x3, 0x2, 0x4, 0x7, 0x1},
     {0xD, 0x7, 0xF, 0x4, 0x1, 0x2, 0x6, 0xE, 0x9, 0xB, 0x3, 0x0, 0x8, 0x5, 0xC, 0xA}},
    {{0x2, 0x8, 0xB, 0xD, 0xF, 0x7, 0x6, 0xE, 0x3, 0x1, 0x9, 0x4, 0x0, 0xA, 0xC, 0x5},
     {0x1, 0xE, 0x2, 0xB, 0x4, 0xC, 0x3, 0x7, 0x6, 0xD, 0xA, 0x5, 0xF, 0x9, 0x0, 0x8},
     {0x4, 0xC, 0x7, 0x5, 0x1, 0x6, 0x9, 0xA, 0x0, 0xE, 0xD, 0x8, 0x2, 0xB, 0x3, 0xF},
     {0xB, 0x9, 0x5, 0x1, 0xC, 0x3, 0xD, 0xE, 0x6, 0x4, 0x7, 0xF, 0x2, 0x0, 0x8, 0xA}}};

constexpr uint8_t ror4(uint8_t x) { return static_cast<uint8_t>(((x >> 1) | (x << 3)) & 0xF); }

constexpr uint8_t qPermute(int which, uint8_t x)
{
    const auto& t = kQt[which];
    uint8_t a = x >> 4, b = x & 0xF;
    uint8_t a1 = a ^ b, b1 = static_cast<uint8_t>((a ^ ror4(b) ^ (8 * a)) & 0xF);
    uint8_t a2 = t[0][a1], b2 = t[1][b1];
    uint8_t a3 = a2 ^ b2, b3 = static_cast<uint8_t>((a2 ^ ror4(b2) ^ (8 * a2)) & 0xF);
    uint8_t a4 = t[2][a3], b4 = t[3][b3];
    return static_cast<uint8_t>((b4 << 4) | a4);
}

struct QTables {
    uint8_t q[2][256];
    constexpr QTables() : q{}
    {
        for (int i = 0; i < 256; ++i) {
            q[0][i] = qPermute(0, static_cast<uint8_t>(i));
            q[1][i] = qPermute(1, static_cast<uint8_t>(i));
        }
    }
};
constexpr QTables kQ;

// Multiplication in GF(2^8) modulo the given primitive polynomial.
constexpr uint8_t gfMul(uint8_t a, uint8_t b, unsigned poly)
{
    unsigned r = 0, x = a;
    for (; b; b >>= 1) {
        if (b & 1)
            r ^= x;
        x <<= 1;
        if (x & 0x100)
            x ^= poly;
    }
    return static_cast<uint8_t>(r);
}

constexpr unsigned kMdsPoly = 0x169; // x^8 + x^6 + x^5 + x^3 + 1
constexpr unsigned kRsPoly = 0x14D;  // x^8 + x^6 + x^3 + x^2 + 1

constexpr uint8_t kMds[4][4] = {
    {0x01, 0xEF, 0x5B, 0x5B}, {0x5B, 0xEF, 0xEF, 0x01}, {0xEF, 0x5B, 0x01, 0xEF}, {0xEF, 0x01, 0xEF, 0x5B}};

constexpr uint8_t kRs[4][8] = {{0x01, 0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E},
                               {0xA4, 0x56, 0x82, 0xF3, 0x1E, 0xC6, 0x68, 0xE5},
                               {0x02, 0xA1, 0xFC, 0xC1, 0x47, 0xAE, 0x3D, 0x19},
                               {0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E, 0x03}};

// Column `col` of the MDS matrix times byte x, as a little-endian word.
uint32_t mdsColumn(int col, uint8_t x)
{
    uint32_t r = 0;
    for (int row = 0; row < 4; ++row)
        r |= static_cast<uint32_t>(gfMul(kMds[row][col], x, kMdsPoly)) << (8 * row);
    return r;
}

inline uint32_t rol(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }
inline uint32_t ror(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

inline uint8_t byteOf(uint32_t w, int i) { return static_cast<uint8_t>(w >> (8 * i)); }

inline uint32_t load32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void store32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The byte substitution of h for input byte position i under key words l[0..k-1]
// (the q0/q1 chains of the cipher, outermost key word first).
uint8_t hByte(int i, uint8_t y, const uint32_t* l, int k)
{
    const auto& q = kQ.q;
    // q order per stage: index [stage][byte], stage 0 applied first for k = 4.
    static constexpr int order4[4] = {1, 0, 0, 1};
    static constexpr int order3[4] = {1, 1, 0, 0};
    static constexpr int order2[4] = {0, 1, 0, 1};
    static constexpr int order1[4] = {0, 0, 1, 1};
    static constexpr int order0[4] = {1, 0, 1, 0};
    if (k == 4)
        y = q[order4[i]][y] ^ byteOf(l[3], i);
    if (k >= 3)
        y = q[order3[i]][y] ^ byteOf(l[2], i);
    y = q[order2[i]][y] ^ byteOf(l[1], i);
    y = q[order1[i]][y] ^ byteOf(l[0], i);
    return q[order0[i]][y];
}

uint32_t h(uint32_t x, const uint32_t* l, int k)
{
    uint32_t r = 0;
    for (int i = 0; i < 4; ++i)
        r ^= mdsColumn(i, hByte(i, byteOf(x, i), l, k));
    return r;
}

// Reed-Solomon code of 8 key bytes, one word of the S vector.
uint32_t rsWord(const uint8_t* m)
{
    uint32_t r = 0;
    for (int row = 0; row < 4; ++row) {
        uint8_t acc = 0;
        for (int j = 0; j < 8; ++j)
            acc ^= gfMul(kRs[row][j], m[j], kRsPoly);
        r |= static_cast<uint32_t>(acc) << (8 * row);
    }
    return r;
}

} // namespace

CTwofish::~CTwofish()
{
    SecureZeroMemory(m_subkeys, sizeof m_subkeys);
    SecureZeroMemory(m_sbox, sizeof m_sbox);
}

void CTwofish::setKey(const void* key, size_t length)
{
    uint8_t padded[32] = {};
    length = std::min<size_t>(length, 32);
    if (length)
        std::memcpy(padded, key, length);
    const size_t keyBytes = length <= 16 ? 16 : (length <= 24 ? 24 : 32);
    const int k = static_cast<int>(keyBytes / 8);

    uint32_t even[4] = {}, odd[4] = {}, s[4] = {};
    for (int i = 0; i < k; ++i) {
        even[i] = load32(padded + 8 * i);
        odd[i] = load32(padded + 8 * i + 4);
        s[k - 1 - i] = rsWord(padded + 8 * i); // the S vector is used in reverse order
    }

    constexpr uint32_t rho = 0x01010101;
    for (uint32_t i = 0; i < 20; ++i) {
        uint32_t a = h(2 * i * rho, even, k);
        uint32_t b = rol(h((2 * i + 1) * rho, odd, k), 8);
        m_subkeys[2 * i] = a + b;
        m_subkeys[2 * i + 1] = rol(a + 2 * b, 9);
    }

    for (int i = 0; i < 4; ++i)
        for (int x = 0; x < 256; ++x)
            m_sbox[i][x] = mdsColumn(i, hByte(i, static_cast<uint8_t>(x), s, k));

    SecureZeroMemory(padded, sizeof padded);
    SecureZeroMemory(even, sizeof even);
    SecureZeroMemory(odd, sizeof odd);
    SecureZeroMemory(s, sizeof s);
}

void CTwofish::encipherBlock(const uint8_t in[16], uint8_t out[16]) const
{
    uint32_t r0 = load32(in) ^ m_subkeys[0], r1 = load32(in + 4) ^ m_subkeys[1];
    uint32_t r2 = load32(in + 8) ^ m_subkeys[2], r3 = load32(in + 12) ^ m_subkeys[3];
    for (int round = 0; round < 16; round += 2) {
        uint32_t t0 = g(r0), t1 = g(rol(r1, 8));
        r2 = ror(r2 ^ (t0 + t1 + m_subkeys[2 * round + 8]), 1);
        r3 = rol(r3, 1) ^ (t0 + 2 * t1 + m_subkeys[2 * round + 9]);
        t0 = g(r2);
        t1 = g(rol(r3, 8));
        r0 = ror(r0 ^ (t0 + t1 + m_subkeys[2 * round + 10]), 1);
        r1 = rol(r1, 1) ^ (t0 + 2 * t1 + m_subkeys[2 * round + 11]);
    }
    store32(out, r2 ^ m_subkeys[4]);
    store32(out + 4, r3 ^ m_subkeys[5]);
    store32(out + 8, r0 ^ m_subkeys[6]);
    store32(out + 12, r1 ^ m_subkeys[7]);
}

void CTwofish::decipherBlock(const uint8_t in[16], uint8_t out[16]) const
{
    uint32_t r2 = load32(in) ^ m_subkeys[4], r3 = load32(in + 4) ^ m_subkeys[5];
    uint32_t r0 = load32(in + 8) ^ m_subkeys[6], r1 = load32(in + 12) ^ m_subkeys[7];
    for (int round = 14; round >= 0; round -= 2) {
        uint32_t t0 = g(r2), t1 = g(rol(r3, 8));
        r0 = rol(r0, 1) ^ (t0 + t1 + m_subkeys[2 * round + 10]);
        r1 = ror(r1 ^ (t0 + 2 * t1 + m_subkeys[2 * round + 11]), 1);
        t0 = g(r0);
        t1 = g(rol(r1, 8));
        r2 = rol(r2, 1) ^ (t0 + t1 + m_subkeys[2 * round + 8]);
        r3 = ror(r3 ^ (t0 + 2 * t1 + m_subkeys[2 * round + 9]), 1);
    }
    store32(out, r0 ^ m_subkeys[0]);
    store32(out + 4, r1 ^ m_subkeys[1]);
    store32(out + 8, r2 ^ m_subkeys[2]);
    store32(out + 12, r3 ^ m_subkeys[3]);
}

namespace {
constexpr uint8_t kTailMask = 0x17;

template <typename BlockFn>
void processBuffer(void* buffer, size_t length, BlockFn block)
{
    auto* p = static_cast<uint8_t*>(buffer);
    size_t whole = length - length % CTwofish::BlockSize;
    for (size_t i = 0; i < whole; i += CTwofish::BlockSize)
        block(p + i);
    for (size_t i = whole; i < length; ++i)
        p[i] ^= kTailMask;
}
} // namespace

void CTwofish::encipher(void* buffer, size_t length) const
{
    processBuffer(buffer, length, [this](uint8_t* b) { encipherBlock(b, b); });
}

void CTwofish::decipher(void* buffer, size_t length) const
{
    processBuffer(buffer, length, [this](uint8_t* b) { decipherBlock(b, b); });
}
