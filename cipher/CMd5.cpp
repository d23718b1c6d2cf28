#include "CMd5.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

inline uint32_t rol(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

int hexValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return 0;
}

} // namespace

void CMd5::reset()
{
    m_state[0] = 0x67452301;
    m_state[1] = 0xefcdab89;
    m_state[2] = 0x98badcfe;
    m_state[3] = 0x10325476;
    m_bits = 0;
    m_used = 0;
}

void CMd5::transform(const uint8_t block[64])
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = block[4 * i] | (block[4 * i + 1] << 8) | (block[4 * i + 2] << 16)
            | (static_cast<uint32_t>(block[4 * i + 3]) << 24);
    uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int k;
        switch (i / 16) {
        case 0:
            f = (b & c) | (~b & d);
            k = i;
            break;
        case 1:
            f = (d & b) | (~d & c);
            k = (5 * i + 1) % 16;
            break;
        case 2:
            f = b ^ c ^ d;
            k = (3 * i + 5) % 16;
            break;
        default:
            f = c ^ (b | ~d);
            k = (7 * i) % 16;
            break;
        }
        uint32_t t = d;
        d = c;
        c = b;
        b = b + rol(a + f + kSine[i] + x[k], kShift[i / 16][i % 4]);
        a = t;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

void CMd5::update(const void* data, size_t length)
{
    const auto* p = static_cast<const uint8_t*>(data);
    m_bits += static_cast<uint64_t>(length) * 8;
    while (length) {
        size_t take = std::min(length, sizeof m_buffer - m_used);
        std::memcpy(m_buffer + m_used, p, take);
        m_used += take;
        p += take;
        length -= take;
        if (m_used == sizeof m_buffer) {
            transform(m_buffer);
            m_used = 0;
        }
    }
}

CMd5::Digest CMd5::finish()
{
    // Padding: a 1 bit, zeros up to 56 bytes of the last block, then the bit count.
    uint8_t tail[72] = {0x80};
    uint64_t bits = m_bits;
    size_t pad = (m_used < 56 ? 56 : 120) - m_used;
    uint8_t length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<uint8_t>(bits >> (8 * i));
    update(tail, pad);
    update(length, sizeof length);
    Digest out;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            out[4 * i + j] = static_cast<uint8_t>(m_state[i] >> (8 * j));
    reset();
    return out;
}

CMd5::Digest CMd5::digest(const void* data, size_t length)
{
    CMd5 md5;
    md5.update(data, length);
    return md5.finish();
}

std::wstring CMd5::toHex(const uint8_t* bytes, size_t length)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring hex;
    hex.reserve(length * 2);
    for (size_t i = 0; i < length; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 0xF];
    }
    return hex;
}

std::wstring CMd5::textHash(const std::wstring& text)
{
    CMd5 md5;
    for (wchar_t c : text) {
        const uint8_t units[2] = {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8)};
        for (uint8_t b : units)
            if (b)
                md5.update(&b, 1);
    }
    Digest d = md5.finish();
    return toHex(d.data(), d.size());
}

CMd5::Digest CMd5::wrappingKey(const std::wstring& text)
{
    std::wstring hex = textHash(text);
    Digest key;
    for (size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<uint8_t>(hexValue(hex[2 * i]) << 4 | hexValue(hex[2 * i + 1]));
    return key;
}
