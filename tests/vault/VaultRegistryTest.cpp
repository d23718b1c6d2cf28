// The vault's registry accessor, its registry cipher and the settings with their defaults.

#include "CVaultRegKey.h"
#include "CVaultSettings.h"
#include "CSuiteRegistryTest.h"
#include "CVaultTest.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace {

const std::wstring kProbe = std::wstring(vaultkeys::Settings) + L"\\Probe";

void putRaw(const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void putText(const std::wstring& path, const wchar_t* name, DWORD type, const std::wstring& text)
{
    putRaw(path, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

using VaultRegKeyTest = CSuiteRegistryTest;

TEST(RegistryCipherTest, LengthsFollowWholeBlocks)
{
    CVaultRegKey key(vaultkeys::Vaults);
    const struct {
        const wchar_t* text;
        size_t digits;
    } cases[] = {{L"", 0}, {L"a", 32}, {L"Personal", 32}, {L"Personal1", 64}, {L"0123456789abcdef", 64}};
    for (const auto& c : cases) {
        std::wstring hex = key.encipherText(c.text);
        EXPECT_EQ(hex.size(), c.digits) << c.text;
        for (wchar_t d : hex)
            EXPECT_TRUE((d >= L'0' && d <= L'9') || (d >= L'A' && d <= L'F')) << c.text;
        EXPECT_EQ(key.decipherText(hex, false), c.text);
    }
}

// Each block is enciphered on its own: a text whose two halves are equal gives equal halves.
TEST(RegistryCipherTest, BlocksAreEncipheredIndependently)
{
    CVaultRegKey key(vaultkeys::Vaults);
    std::wstring hex = key.encipherText(L"ABCDEFGHABCDEFGH");
    ASSERT_EQ(hex.size(), 64u);
    EXPECT_EQ(hex.substr(0, 32), hex.substr(32));
    EXPECT_EQ(hex.substr(0, 32), key.encipherText(L"ABCDEFGH"));
    // Every accessor holds the same fixed key: another instance reads what this one wrote.
    CVaultRegKey other(vaultkeys::Settings);
    EXPECT_EQ(other.decipherText(hex, false), L"ABCDEFGHABCDEFGH");
}

TEST(RegistryCipherTest, NonAsciiTextAndMalformedDigits)
{
    CVaultRegKey key(vaultkeys::Vaults);
    const std::wstring text = L"B\u00fcro \u4e2d\u6587 \u20ac";
    EXPECT_EQ(key.decipherText(key.encipherText(text), false), text);
    // A digit that is no upper-case hexadecimal one counts as 0; odd or short input is read
    // as far as it goes and never past it.
    std::wstring hex = key.encipherText(L"Files");
    std::wstring low = hex;
    for (auto& c : low)
        c = static_cast<wchar_t>(std::towlower(c));
    EXPECT_NE(key.decipherText(low, false), L"Files");
    for (const wchar_t* junk : {L"", L"A", L"ZZ", L"0", L"GHIJKLMNOPQRSTUVWXYZGHIJKLMNOPQRST"})
        key.decipherText(junk, false);
    // A legacy text is ANSI: the same bytes read as UTF-16 are something else.
    char ansi[] = "Docs";
    std::wstring legacyHex = key.encipherBytes(ansi, 4);
    EXPECT_EQ(key.decipherText(legacyHex, true), L"Docs");
    EXPECT_NE(key.decipherText(legacyHex, false), L"Docs");
}

// Each reader takes only its own type and size; anything else leaves the value untouched.
TEST_F(VaultRegKeyTest, ReadersRejectOtherTypesAndSizes)
{
    const DWORD four = 4;
    const WORD two = 2;
    putRaw(kProbe, L"Short", REG_DWORD, &two, 2);
    putRaw(kProbe, L"Binary", REG_BINARY, &four, 4);
    putText(kProbe, L"Text", REG_SZ, L"12");
    putRaw(kProbe, L"Multi", REG_MULTI_SZ, L"a\0b\0", 10);
    putRaw(kProbe, L"Dword", REG_DWORD, &four, 4);
    CVaultRegKey key(kProbe);
    for (const wchar_t* name : {L"Short", L"Binary", L"Text", L"Missing"}) {
        DWORD value = 77;
        EXPECT_FALSE(key.readDword(name, value)) << name;
        EXPECT_EQ(value, 77u) << name;
    }
    DWORD value = 0;
    EXPECT_TRUE(key.readDword(L"Dword", value));
    EXPECT_EQ(value, 4u);
    for (const wchar_t* name : {L"Binary", L"Multi", L"Dword", L"Missing"}) {
        std::wstring text = L"untouched";
        EXPECT_FALSE(key.readString(name, text)) << name;
        EXPECT_EQ(text, L"untouched") << name;
    }
    std::vector<BYTE> bytes;
    EXPECT_FALSE(key.readBinary(L"Text", bytes));
    EXPECT_TRUE(key.readBinary(L"Binary", bytes));
    EXPECT_EQ(bytes.size(), 4u);
}

TEST_F(VaultRegKeyTest, WritesAndReadsBackEveryKind)
{
    CVaultRegKey key(kProbe);
    const BYTE blob[5] = {1, 0, 2, 0, 3};
    ASSERT_TRUE(key.writeDword(L"D", 0xFFFFFFFF));
    ASSERT_TRUE(key.writeString(L"S", L"text \u00e9"));
    ASSERT_TRUE(key.writeBinary(L"B", blob, sizeof blob));
    ASSERT_TRUE(key.writeEncipheredString(L"E", L"C:\\Data\\1.dat"));
    CVaultRegKey reader(kProbe);
    DWORD d = 0;
    std::wstring s, e, raw;
    std::vector<BYTE> b;
    EXPECT_TRUE(reader.readDword(L"D", d));
    EXPECT_EQ(d, 0xFFFFFFFFu);
    EXPECT_TRUE(reader.readString(L"S", s));
    EXPECT_EQ(s, L"text \u00e9");
    EXPECT_TRUE(reader.readBinary(L"B", b));
    EXPECT_EQ(b, std::vector<BYTE>(blob, blob + 5));
    EXPECT_TRUE(reader.readEncipheredString(L"E", e));
    EXPECT_EQ(e, L"C:\\Data\\1.dat");
    EXPECT_TRUE(reader.readString(L"E", raw));
    EXPECT_EQ(raw.find(L"Data"), std::wstring::npos); // stored as digits only
    EXPECT_EQ(raw.size(), 64u);
}

TEST_F(VaultRegKeyTest, EnumeratesAndDeletesSubkeysWithTheirContents)
{
    CVaultRegKey(kProbe + L"\\One\\Deep").writeDword(L"x", 1);
    CVaultRegKey(kProbe + L"\\Two").writeDword(L"x", 2);
    CVaultRegKey key(kProbe);
    std::vector<std::wstring> names;
    for (DWORD i = 0; auto name = key.enumerateSubkey(i); ++i)
        names.push_back(*name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"One", L"Two"}));
    EXPECT_TRUE(key.deleteSubkey(L"One"));
    EXPECT_FALSE(CVaultTest::keyExists(kProbe + L"\\One"));
    EXPECT_TRUE(CVaultTest::keyExists(kProbe + L"\\Two"));
    EXPECT_FALSE(key.enumerateSubkey(1).has_value());
    // A key that does not exist reads as nothing at all.
    CVaultRegKey missing(kProbe + L"\\Nowhere");
    EXPECT_FALSE(missing.enumerateSubkey(0).has_value());
    EXPECT_FALSE(missing.isOpen());
}

TEST_F(VaultRegKeyTest, DefaultDataFolder)
{
    // Absent: "Volumes" beside the module that runs the vault.
    std::wstring folder = CVaultSettings::defaultDataFolder();
    EXPECT_EQ(folder, CVaultSettings::moduleFolder() + L"Volumes\\");
    EXPECT_NE(CVaultSettings::moduleFolder().find(L":\\"), std::wstring::npos);

    putText(vaultkeys::Settings, L"DefDataDir", REG_SZ, L"D:\\Lockboxes");
    EXPECT_EQ(CVaultSettings::defaultDataFolder(), L"D:\\Lockboxes\\");
    putText(vaultkeys::Settings, L"DefDataDir", REG_SZ, L"D:\\Lockboxes\\");
    EXPECT_EQ(CVaultSettings::defaultDataFolder(), L"D:\\Lockboxes\\");

    SetEnvironmentVariableW(L"VAULT_TEST_HOME", L"C:\\Users\\tester");
    putText(vaultkeys::Settings, L"DefDataDir", REG_EXPAND_SZ, L"%VAULT_TEST_HOME%\\Boxes");
    EXPECT_EQ(CVaultSettings::defaultDataFolder(), L"C:\\Users\\tester\\Boxes\\");

    const DWORD one = 1;
    putRaw(vaultkeys::Settings, L"DefDataDir", REG_DWORD, &one, 4);
    EXPECT_EQ(CVaultSettings::defaultDataFolder(), CVaultSettings::moduleFolder() + L"Volumes\\");
}

TEST_F(VaultRegKeyTest, SettingsDefaultsAndValues)
{
    EXPECT_TRUE(CVaultSettings::popupMessages());
    EXPECT_EQ(CVaultSettings::vaultShortcutKey(), 0u);
    EXPECT_EQ(CVaultSettings::vaultShortcutModifiers(), 0u);
    EXPECT_EQ(CVaultSettings::sortColumn(), 0u);
    EXPECT_TRUE(CVaultSettings::sortAscending());
    EXPECT_EQ(CVaultSettings::inUseDetails(), 0u);
    EXPECT_EQ(CVaultSettings::inUseItems(), 0u);
    EXPECT_FALSE(CVaultSettings::sparseFilesEnabled());

    CVaultRegKey settings(vaultkeys::Settings);
    // Only 1 shows popups.
    for (DWORD v : {0u, 2u}) {
        settings.writeDword(L"PopupMessages", v);
        EXPECT_FALSE(CVaultSettings::popupMessages()) << v;
    }
    settings.writeDword(L"PopupMessages", 1);
    EXPECT_TRUE(CVaultSettings::popupMessages());
    settings.writeDword(L"KSVK", 0x4C);
    settings.writeDword(L"KSMD", 6);
    settings.writeDword(L"SortCol", 3);
    settings.writeDword(L"SortOrder", 0);
    EXPECT_EQ(CVaultSettings::vaultShortcutKey(), 0x4Cu);
    EXPECT_EQ(CVaultSettings::vaultShortcutModifiers(), 6u);
    EXPECT_EQ(CVaultSettings::sortColumn(), 3u);
    EXPECT_FALSE(CVaultSettings::sortAscending());

    CVaultRegKey suite(vaultkeys::SuiteRoot);
    suite.writeDword(L"EnableSparseFiles", 2);
    EXPECT_FALSE(CVaultSettings::sparseFilesEnabled());
    suite.writeDword(L"EnableSparseFiles", 1);
    EXPECT_TRUE(CVaultSettings::sparseFilesEnabled());
}

} // namespace
