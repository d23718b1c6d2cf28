// The registry codec that Chronel's settings and the vault's records share: round trips of
// texts and raw bytes, and one rule for what is not its own output.

#include "CRegistryCipher.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace {

constexpr uint8_t kKey[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                              17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};

TEST(RegistryCipherTest, TextsAndBytesRoundTripAsUpperCaseDigitPairsOfWholeBlocks)
{
    CRegistryCipher cipher(kKey);
    for (const std::wstring& text : {std::wstring(), std::wstring(L"8 chars!"), std::wstring(L"B\u00fcro \u4e2d\u6587"),
                                    std::wstring(40, L'x')}) {
        const std::wstring hex = cipher.encipherText(text);
        EXPECT_EQ(hex.size(), (text.size() * 2 + 15) / 16 * 32);
        EXPECT_EQ(hex.find_first_not_of(L"0123456789ABCDEF"), std::wstring::npos);
        std::wstring back = L"junk";
        ASSERT_TRUE(cipher.decipherText(hex, back));
        EXPECT_EQ(back, text);
    }
    const uint8_t raw[5] = {'D', 'o', 'c', 's', 0};
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(cipher.decipher(cipher.encipher(raw, 5), bytes));
    ASSERT_EQ(bytes.size(), 16u + 2) << "a whole block and two spare zero bytes";
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 5), std::vector<uint8_t>(raw, raw + 5));
    EXPECT_EQ(bytes[16], 0);
    EXPECT_EQ(bytes[17], 0);
}

TEST(RegistryCipherTest, AnythingButUpperCaseDigitPairsIsMalformed)
{
    CRegistryCipher cipher(kKey);
    std::wstring lower = cipher.encipherText(L"Files");
    for (auto& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    const std::wstring malformed[] = {L"A", L"ABC", L"GG00112233445566778899AABBCCDDEE", L"12 4", L"0x12", lower};
    for (const std::wstring& hex : malformed) {
        std::wstring text = L"untouched";
        EXPECT_FALSE(cipher.decipherText(hex, text)) << hex;
        EXPECT_EQ(text, L"untouched");
        std::vector<uint8_t> bytes{7};
        EXPECT_FALSE(cipher.decipher(hex, bytes)) << hex;
        EXPECT_EQ(bytes, std::vector<uint8_t>{7});
    }
    // A text that fills its last block exactly is still terminated.
    std::wstring text;
    ASSERT_TRUE(cipher.decipherText(cipher.encipherText(L"ABCDEFGH"), text));
    EXPECT_EQ(text, L"ABCDEFGH");
}

TEST(RegistryCipherTest, AnotherKeyReadsSomethingElse)
{
    uint8_t other[32] = {};
    std::wstring text;
    ASSERT_TRUE(CRegistryCipher(other).decipherText(CRegistryCipher(kKey).encipherText(L"Personal"), text));
    EXPECT_NE(text, L"Personal");
}

} // namespace
