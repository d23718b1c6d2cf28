#include "CRegistryKey.h"
#include "CSuiteRegistryTest.h"
#include "ChronelSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t* const kRoot = settings::kRootPath;
const wchar_t* const kSub = L"Software\\Orvel Software\\Velmora\\Probe";

bool keyExists(const wchar_t* path)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Stores a value of any type and size directly, bypassing the wrapper.
void putRaw(const wchar_t* path, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void putRawString(const wchar_t* path, const wchar_t* name, DWORD type, const std::wstring& text)
{
    putRaw(path, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

DWORD storedSize(const wchar_t* path, const wchar_t* name, DWORD* type = nullptr)
{
    HKEY key;
    DWORD size = 0, t = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    RegQueryValueExW(key, name, nullptr, &t, nullptr, &size);
    RegCloseKey(key);
    if (type)
        *type = t;
    return size;
}

using RegistryKeyTest = CSuiteRegistryTest;

// Each reader accepts only its own type (and size); anything else reads as missing and the
// caller's value is left as it was.
TEST_F(RegistryKeyTest, ValueOfTheWrongTypeReadsAsMissing)
{
    const DWORD four = 4;
    const WORD two = 2;
    putRawString(kRoot, L"HoursText", REG_SZ, L"12");
    putRaw(kRoot, L"Binary4", REG_BINARY, &four, 4);
    putRaw(kRoot, L"ShortDword", REG_DWORD, &two, 2);
    putRaw(kRoot, L"Dword", REG_DWORD, &four, 4);
    putRaw(kRoot, L"MultiSz", REG_MULTI_SZ, L"a\0b\0", 10);

    CRegistryKey key(HKEY_CURRENT_USER, kRoot);
    for (const wchar_t* name : {L"HoursText", L"Binary4", L"ShortDword", L"MultiSz"}) {
        DWORD value = 77;
        EXPECT_FALSE(key.readDword(name, value)) << name;
        EXPECT_EQ(value, 77u) << name;
    }
    for (const wchar_t* name : {L"Dword", L"Binary4", L"MultiSz"}) {
        std::wstring text = L"untouched";
        EXPECT_FALSE(key.readString(name, text)) << name;
        EXPECT_EQ(text, L"untouched") << name;
    }
    BYTE buffer[16];
    DWORD size = 99;
    EXPECT_FALSE(key.readBinary(L"Dword", buffer, sizeof buffer, size));
    EXPECT_FALSE(key.readBinary(L"HoursText", buffer, sizeof buffer, size));
    EXPECT_EQ(size, 99u);

    // The reader's default applies: a Hours value stored as text counts as 4 hours.
    putRawString(kRoot, settings::kHours.name, REG_SZ, L"12");
    EXPECT_EQ(settings::read(settings::kHours), 4u);
}

TEST_F(RegistryKeyTest, ReadingFromAMissingKeyCreatesNothing)
{
    CRegistryKey key(HKEY_CURRENT_USER, kSub);
    DWORD value = 5;
    std::wstring text = L"x", name;
    std::vector<BYTE> any;
    BYTE buffer[4];
    DWORD size = 0, cursor = 0;
    EXPECT_FALSE(key.readDword(L"A", value));
    EXPECT_FALSE(key.readString(L"A", text));
    EXPECT_FALSE(key.readBinary(L"A", buffer, sizeof buffer, size));
    EXPECT_FALSE(key.readAnyAlloc(L"A", any));
    EXPECT_FALSE(key.readEnciphered(L"A", text));
    EXPECT_EQ(key.countValues(), 0u);
    EXPECT_FALSE(key.nextStringValue(cursor, text));
    EXPECT_FALSE(key.nextValueName(cursor, name));
    EXPECT_EQ(value, 5u);
    EXPECT_EQ(text, L"x");
    EXPECT_FALSE(keyExists(kSub));
    EXPECT_FALSE(keyExists(kRoot)) << "not even the parent may be created";

    // The first write creates the whole path.
    EXPECT_TRUE(key.writeDword(L"A", 9));
    EXPECT_TRUE(keyExists(kSub));
    EXPECT_TRUE(key.readDword(L"A", value));
    EXPECT_EQ(value, 9u);
}

TEST_F(RegistryKeyTest, ExpandableStringsAreExpanded)
{
    SetEnvironmentVariableW(L"VELMORA_TIME_HOST", L"ntp.example.org");
    // A variable longer than the first expansion buffer (at least 1024 characters).
    const std::wstring longValue(3000, L'z');
    SetEnvironmentVariableW(L"VELMORA_LONG", longValue.c_str());
    putRawString(kRoot, L"Server1", REG_EXPAND_SZ, L"%VELMORA_TIME_HOST%");
    putRawString(kRoot, L"Long", REG_EXPAND_SZ, L"<%VELMORA_LONG%>");
    putRawString(kRoot, L"Plain", REG_SZ, L"%VELMORA_TIME_HOST%");

    CRegistryKey key(HKEY_CURRENT_USER, kRoot);
    std::wstring text;
    ASSERT_TRUE(key.readString(L"Server1", text));
    EXPECT_EQ(text, L"ntp.example.org");
    ASSERT_TRUE(key.readString(L"Long", text));
    EXPECT_EQ(text, L"<" + longValue + L">");
    ASSERT_TRUE(key.readString(L"Plain", text));
    EXPECT_EQ(text, L"%VELMORA_TIME_HOST%") << "REG_SZ is taken literally";
}

TEST_F(RegistryKeyTest, StringsKeepTheirLengthExactly)
{
    CRegistryKey key(HKEY_CURRENT_USER, kRoot);
    const std::wstring texts[] = {L"", L"a", L"Zeitserver \u00fc\u00e9\u4e2d", std::wstring(5000, L'q')};
    for (const auto& written : texts) {
        ASSERT_TRUE(key.writeString(L"Text", written));
        DWORD type = 0;
        EXPECT_EQ(storedSize(kRoot, L"Text", &type), (written.size() + 1) * sizeof(wchar_t));
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        std::wstring read = L"junk";
        ASSERT_TRUE(key.readString(L"Text", read));
        EXPECT_EQ(read, written);
    }
    // Data stored by another program without its terminator, and of odd length.
    putRaw(kRoot, L"Bare", REG_SZ, L"abc", 7);
    std::wstring read;
    ASSERT_TRUE(key.readString(L"Bare", read));
    EXPECT_EQ(read, L"abc");
}

TEST_F(RegistryKeyTest, BinaryValuesMustFitTheBuffer)
{
    CRegistryKey key(HKEY_CURRENT_USER, kRoot);
    const BYTE record[6] = {1, 2, 3, 0, 5, 6};
    ASSERT_TRUE(key.writeBinary(L"Record", record, sizeof record));

    BYTE big[8] = {}, small[4] = {};
    DWORD size = 0;
    ASSERT_TRUE(key.readBinary(L"Record", big, sizeof big, size));
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(0, memcmp(big, record, 6));
    EXPECT_FALSE(key.readBinary(L"Record", small, sizeof small, size));

    std::vector<BYTE> any;
    DWORD type = 0;
    ASSERT_TRUE(key.readAnyAlloc(L"Record", any, &type));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(any, std::vector<BYTE>(record, record + 6));
    ASSERT_TRUE(key.writeDword(L"Number", 0x01020304));
    ASSERT_TRUE(key.readAnyAlloc(L"Number", any, &type));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(any, (std::vector<BYTE>{4, 3, 2, 1}));
}

TEST_F(RegistryKeyTest, DeleteAndCountValues)
{
    CRegistryKey key(HKEY_CURRENT_USER, kRoot);
    key.writeDword(L"A", 1);
    key.writeString(L"B", L"b");
    EXPECT_EQ(key.countValues(), 2u);
    EXPECT_TRUE(key.deleteValue(L"A"));
    EXPECT_FALSE(key.deleteValue(L"A"));
    EXPECT_EQ(key.countValues(), 1u);
    DWORD value = 0;
    EXPECT_FALSE(key.readDword(L"A", value));
}

// The log relies on the key's enumeration order to find its oldest entry; the wrapper walks
// the values in that order, and string enumeration passes over every other type.
TEST_F(RegistryKeyTest, EnumerationFollowsTheKeyOrderAndSkipsOtherTypes)
{
    const wchar_t* const logs = settings::kLogsPath;
    putRawString(logs, L"1700000100", REG_SZ, L"first#1.0s fast");
    const DWORD one = 1;
    putRaw(logs, L"1700000150", REG_DWORD, &one, 4);
    putRawString(logs, L"1700000160", REG_EXPAND_SZ, L"expand");
    putRawString(logs, L"1700000200", REG_SZ, L"second#2.0s slow");
    const std::wstring large(12000, L'L'); // 24002 bytes: more than the 16384-byte buffer
    putRawString(logs, L"1700000300", REG_SZ, large);

    // The order the key itself reports.
    std::vector<std::wstring> keyOrder;
    {
        HKEY key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, logs, 0, KEY_READ, &key), ERROR_SUCCESS);
        wchar_t name[64];
        for (DWORD i = 0;; ++i) {
            DWORD length = 64;
            if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            keyOrder.push_back(name);
        }
        RegCloseKey(key);
    }
    ASSERT_EQ(keyOrder.size(), 5u);

    CRegistryKey key(HKEY_CURRENT_USER, logs);
    std::vector<std::wstring> names;
    std::wstring name;
    for (DWORD cursor = 0; key.nextValueName(cursor, name);)
        names.push_back(name);
    EXPECT_EQ(names, keyOrder);

    std::vector<std::wstring> stringNames, data;
    DWORD cursor = 0;
    std::wstring text;
    while (key.nextStringValue(cursor, text, &name)) {
        stringNames.push_back(name);
        data.push_back(text);
    }
    EXPECT_EQ(stringNames, (std::vector<std::wstring>{L"1700000100", L"1700000200", L"1700000300"}));
    ASSERT_EQ(data.size(), 3u);
    EXPECT_EQ(data[0], L"first#1.0s fast");
    EXPECT_EQ(data[1], L"second#2.0s slow");
    EXPECT_EQ(data[2], large);
    EXPECT_EQ(cursor, 5u) << "the cursor stops past the last string value";
}

TEST_F(RegistryKeyTest, EncipheredStringsRoundTripAsHexDigits)
{
    CRegistryKey key(HKEY_CURRENT_USER, L"Software\\Orvel Software\\Velmora\\Updates");
    const std::wstring texts[] = {L"", L"8 chars!", L"nine char", L"1734567890",
                                  L"\u00dcber Chronel \u00a9 \u4e16\u754c", std::wstring(100, L'x')};
    for (const auto& text : texts) {
        ASSERT_TRUE(key.writeEnciphered(L"uioutn", text));
        std::wstring stored;
        ASSERT_TRUE(key.readEnciphered(L"uioutn", stored, false));
        // Whole 16-byte blocks of UTF-16, two upper-case digits a byte.
        EXPECT_EQ(stored.size(), (text.size() * 2 + 15) / 16 * 32) << stored;
        EXPECT_EQ(stored.find_first_not_of(L"0123456789ABCDEF"), std::wstring::npos) << stored;
        if (!text.empty()) {
            EXPECT_EQ(stored.find(text), std::wstring::npos);
        }
        std::wstring back = L"junk";
        ASSERT_TRUE(key.readEnciphered(L"uioutn", back));
        EXPECT_EQ(back, text);
    }
}

TEST_F(RegistryKeyTest, MalformedEncipheredTextReadsAsMissing)
{
    CRegistryKey key(HKEY_CURRENT_USER, kRoot);
    for (const wchar_t* stored : {L"ABC", L"GG00112233445566778899AABBCCDDEE", L"12 4"}) {
        key.writeString(L"Enc", stored);
        std::wstring out = L"untouched";
        EXPECT_FALSE(key.readEnciphered(L"Enc", out)) << stored;
        EXPECT_EQ(out, L"untouched");
    }
}

TEST_F(RegistryKeyTest, FlagsReadAnyNonzeroValueAsOne)
{
    CRegistryKey root(HKEY_CURRENT_USER, settings::kRootPath);
    EXPECT_TRUE(settings::read(settings::kTaskBarIcon)) << "missing: the default";
    root.writeDword(settings::kTaskBarIcon.name, 7);
    EXPECT_TRUE(settings::read(settings::kTaskBarIcon));
    settings::write(settings::kTaskBarIcon, false);
    EXPECT_FALSE(settings::read(settings::kTaskBarIcon));
    EXPECT_TRUE(settings::write(settings::kInternetCheck, true));
    DWORD stored = 5;
    EXPECT_TRUE(root.readDword(settings::kInternetCheck.name, stored));
    EXPECT_EQ(stored, 1u) << "flags are written as 0 or 1";
}

} // namespace
