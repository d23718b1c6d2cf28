// MD5 and Twofish against published vectors and against libgcrypt.

#include "CMd5.h"
#include "CTwofish.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> fromHex(const std::string& hex)
{
    std::vector<uint8_t> out;
    if (hex == "-")
        return out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string toHex(const uint8_t* p, size_t n)
{
    std::string s;
    char b[3];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02X", p[i]);
        s += b;
    }
    return s;
}

std::string md5Hex(const std::string& text)
{
    auto d = CMd5::digest(text.data(), text.size());
    return toHex(d.data(), d.size());
}

TEST(Md5Test, Rfc1321TestSuite)
{
    const struct {
        const char* message;
        const char* digest;
    } cases[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"a", "0CC175B9C0F1B6A831C399E269772661"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57EDF4A22BE3C955AC49DA2E2107B67A"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(md5Hex(c.message), c.digest) << '"' << c.message << '"';
}

// Fed in pieces that straddle the 64-byte blocks, the digest is that of the whole.
TEST(Md5Test, PiecewiseUpdateMatchesOneShot)
{
    std::string message(1000, '\0');
    for (size_t i = 0; i < message.size(); ++i)
        message[i] = static_cast<char>(i * 7 + 3);
    CMd5 md5;
    for (size_t at = 0, step = 1; at < message.size(); at += step, step = step * 3 % 97 + 1)
        md5.update(message.data() + at, std::min(step, message.size() - at));
    auto d = md5.finish();
    EXPECT_EQ(toHex(d.data(), 16), md5Hex(message));
}

TEST(Md5Test, TextHashOfAsciiIsTheDigestOfItsBytes)
{
    EXPECT_EQ(CMd5::textHash(L"abc"), L"900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(CMd5::textHash(L""), L"D41D8CD98F00B204E9800998ECF8427E");
}

// U+00E9 is E9 00, 't' is 74 00, U+4E2D is 2D 4E, U+0100 is 00 01: the zero bytes go and
// E9 74 E9 2D 4E 01 is hashed.
TEST(Md5Test, TextHashDropsZeroBytesOfNonAsciiText)
{
    EXPECT_EQ(CMd5::textHash(L"\u00e9t\u00e9\u4e2d\u0100"), L"95650398BBBEEC97BAB8231A7D575E74");
}

TEST(Md5Test, WrappingKeyIsTheDigestTheHashSpellsOut)
{
    auto key = CMd5::wrappingKey(L"abc");
    EXPECT_EQ(toHex(key.data(), key.size()), "900150983CD24FB0D6963F7D28E17F72");
}

// The published known-answer vectors: the all-zero block under the all-zero 128-bit key and
// the ascending test keys of 192 and 256 bits.
TEST(TwofishTest, PublishedKnownAnswers)
{
    const struct {
        const char* key;
        const char* cipher;
    } cases[] = {
        {"00000000000000000000000000000000", "9F589F5CF6122C32B6BFEC2F2AE8C35A"},
        {"0123456789ABCDEFFEDCBA98765432100011223344556677", "CFD1D2E5A9BE9CDF501F13B892BD2248"},
        {"0123456789ABCDEFFEDCBA987654321000112233445566778899AABBCCDDEEFF", "37527BE0052334B89F0CFCCAE87CFA20"},
    };
    for (const auto& c : cases) {
        auto key = fromHex(c.key);
        CTwofish cipher(key.data(), key.size());
        uint8_t block[16] = {};
        cipher.encipher(block, 16);
        EXPECT_EQ(toHex(block, 16), c.cipher) << c.key;
        cipher.decipher(block, 16);
        EXPECT_EQ(toHex(block, 16), std::string(32, '0')) << c.key;
    }
}

TEST(TwofishTest, ShortKeysAreZeroPaddedAndLongKeysCut)
{
    uint8_t key[40];
    for (int i = 0; i < 40; ++i)
        key[i] = static_cast<uint8_t>(0xA0 + i);
    const struct {
        size_t length, effective;
    } cases[] = {{1, 16}, {10, 16}, {17, 24}, {20, 24}, {25, 32}, {28, 32}, {40, 32}};
    for (const auto& c : cases) {
        uint8_t padded[32] = {};
        std::memcpy(padded, key, std::min(c.length, c.effective));
        CTwofish given(key, c.length), explicitKey(padded, c.effective);
        uint8_t a[16] = {1, 2, 3}, b[16] = {1, 2, 3};
        given.encipher(a, 16);
        explicitKey.encipher(b, 16);
        EXPECT_EQ(toHex(a, 16), toHex(b, 16)) << c.length << " bytes";
    }
    // A padded key is not the same cipher as the next longer padding would give.
    CTwofish k16(key, 10);
    uint8_t padded24[24] = {};
    std::memcpy(padded24, key, 10);
    CTwofish k24(padded24, 24);
    uint8_t a[16] = {}, b[16] = {};
    k16.encipher(a, 16);
    k24.encipher(b, 16);
    EXPECT_NE(toHex(a, 16), toHex(b, 16));
}

TEST(TwofishTest, TrailingPartIsXoredWith0x17InBothDirections)
{
    const uint8_t key[16] = {9, 8, 7};
    CTwofish cipher(key, sizeof key);
    uint8_t input[20], buffer[20], block[16];
    for (int i = 0; i < 20; ++i)
        input[i] = static_cast<uint8_t>(i * 11 + 5);
    std::memcpy(buffer, input, 20);
    cipher.encipher(buffer, 20);
    cipher.encipherBlock(input, block);
    EXPECT_EQ(toHex(buffer, 16), toHex(block, 16));
    for (int i = 16; i < 20; ++i)
        EXPECT_EQ(buffer[i], input[i] ^ 0x17) << i;
    cipher.decipher(buffer, 20);
    EXPECT_EQ(toHex(buffer, 20), toHex(input, 20));

    uint8_t shortBuffer[3] = {0x17, 0x00, 0xFF};
    cipher.encipher(shortBuffer, 3);
    EXPECT_EQ(toHex(shortBuffer, 3), "0017E8");
}

// Random keys, blocks and messages from libgcrypt (a native helper wrote them at build time).
class LibgcryptCrossCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::ifstream in(VELMORA_GCRYPT_VECTORS);
        ASSERT_TRUE(in) << "no vectors at " << VELMORA_GCRYPT_VECTORS;
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string kind, a, b, c;
            fields >> kind >> a >> b >> c;
            if (kind == "TF")
                twofish.push_back({fromHex(a), fromHex(b), c});
            else if (kind == "MD5")
                md5.push_back({fromHex(a), b});
        }
    }
    struct STwofish {
        std::vector<uint8_t> key, plain;
        std::string cipher;
    };
    struct SMd5 {
        std::vector<uint8_t> message;
        std::string digest;
    };
    std::vector<STwofish> twofish;
    std::vector<SMd5> md5;
};

TEST_F(LibgcryptCrossCheck, TwofishAgreesOnRandomKeysAndBlocks)
{
    ASSERT_GE(twofish.size(), 400u);
    size_t lengths[65] = {};
    for (const auto& v : twofish) {
        CTwofish cipher(v.key.data(), v.key.size());
        uint8_t block[16];
        std::memcpy(block, v.plain.data(), 16);
        cipher.encipher(block, 16);
        ASSERT_EQ(toHex(block, 16), v.cipher) << "key " << toHex(v.key.data(), v.key.size());
        cipher.decipher(block, 16);
        ASSERT_EQ(toHex(block, 16), toHex(v.plain.data(), 16));
        ++lengths[std::min<size_t>(v.key.size(), 64)];
    }
    // Both libgcrypt key sizes and the padding and cutting rules were exercised.
    for (size_t n : {5, 15, 16, 25, 31, 32, 40, 64})
        EXPECT_GT(lengths[n], 0u) << n << "-byte keys";
}

TEST_F(LibgcryptCrossCheck, Md5AgreesOnRandomMessages)
{
    ASSERT_GE(md5.size(), 100u);
    for (const auto& v : md5) {
        auto d = CMd5::digest(v.message.data(), v.message.size());
        ASSERT_EQ(toHex(d.data(), 16), v.digest) << v.message.size() << " bytes";
    }
}

} // namespace
