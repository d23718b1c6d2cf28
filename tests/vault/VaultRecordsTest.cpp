// Lockbox records: load (with the rewrite of earlier-format records), create, save, delete,
// find, and what a lockbox derives from its record.

#include "CVault.h"
#include "CVaultRegKey.h"
#include "CVaultSettings.h"
#include "CVaultTest.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kVaults = vaultkeys::Vaults;

std::string ansi(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

// Records the desktop changes that saving and deleting ask for.
class CDesktopRecorder : public CNoDesktopIntegration {
public:
    void applySearchExclusion(const std::wstring& drive, bool exclude) override
    {
        exclusions.emplace_back(drive, exclude);
    }
    void removeDesktopIcon(const CLockbox& lockbox) override { removedIcons.push_back(lockbox.name()); }
    std::vector<std::pair<std::wstring, bool>> exclusions;
    std::vector<std::wstring> removedIcons;
};

using VaultRecordsTest = CVaultTest;

// An earlier version enciphered ANSI text and wrote no value "8": the record is read with
// ANSI decoding, then written once in the current form under its new subkey name, and the
// old subkey is removed.
TEST_F(VaultRecordsTest, LegacyRecordIsReadAsAnsiAndRewrittenOnce)
{
    CVaultRegKey cipher(kVaults);
    const std::wstring name = L"B\u00fcro", path = L"C:\\Geb\u00e4ude\\17.dat";
    const std::string ansiName = ansi(name), ansiPath = ansi(path);
    const std::wstring oldSubkey = cipher.encipherBytes(ansiName.data(), ansiName.size());
    CVaultRegKey old(kVaults + L"\\" + oldSubkey);
    ASSERT_TRUE(old.writeString(L"2", cipher.encipherBytes(ansiPath.data(), ansiPath.size())));
    ASSERT_TRUE(old.writeString(L"1", L"0CC175B9C0F1B6A831C399E269772661"));
    ASSERT_TRUE(old.writeDword(L"3", 1));
    ASSERT_TRUE(old.writeDword(L"4", 0x4B));
    old.close();

    CVault vault;
    const auto& list = vault.loadLockboxes(true);
    ASSERT_EQ(list.size(), 1u);
    const CLockbox& box = *list[0];
    EXPECT_EQ(box.name(), name);
    EXPECT_EQ(box.dataFile(), path);
    EXPECT_EQ(box.legacyPasswordCheck(), L"0CC175B9C0F1B6A831C399E269772661");
    EXPECT_TRUE(box.openWithVault());
    EXPECT_EQ(box.shortcutKey(), 0x4B);
    EXPECT_TRUE(box.excludeFromSearch()); // absent "9" reads as 1
    EXPECT_FALSE(box.needsRewrite());

    const std::wstring newSubkey = cipher.encipherText(name);
    EXPECT_FALSE(CVaultTest::keyExists(kVaults + L"\\" + oldSubkey));
    ASSERT_TRUE(CVaultTest::keyExists(kVaults + L"\\" + newSubkey));
    CVaultRegKey record(kVaults + L"\\" + newSubkey);
    DWORD format = 0, exclude = 0;
    EXPECT_TRUE(record.readDword(L"8", format));
    EXPECT_EQ(format, 1u);
    EXPECT_TRUE(record.readDword(L"9", exclude));
    EXPECT_EQ(exclude, 1u);
    std::wstring stored;
    EXPECT_TRUE(record.readEncipheredString(L"2", stored));
    EXPECT_EQ(stored, path);
    // The legacy password check stays where it was written, and is never written again.
    EXPECT_FALSE(record.readString(L"1", stored));

    // A second load finds the current record and rewrites nothing.
    CVault again;
    ASSERT_EQ(again.loadLockboxes(true).size(), 1u);
    EXPECT_EQ(again.lockboxes()[0]->name(), name);
    EXPECT_EQ(again.lockboxes()[0]->dataFile(), path);
}

// A subkey whose name deciphers to nothing cannot be written under its new name (that would
// be the Vaults key itself): it is left as it is.
TEST_F(VaultRecordsTest, LegacyRecordWithoutNameIsKeptAsItIs)
{
    CVaultRegKey cipher(kVaults);
    const BYTE zero[16] = {};
    const std::wstring subkey = cipher.encipherBytes(zero, sizeof zero);
    CVaultRegKey(kVaults + L"\\" + subkey).writeDword(L"3", 1);
    CVault vault;
    ASSERT_EQ(vault.loadLockboxes(true).size(), 1u);
    EXPECT_EQ(vault.lockboxes()[0]->name(), L"");
    EXPECT_TRUE(CVaultTest::keyExists(kVaults + L"\\" + subkey));
    DWORD value = 0;
    EXPECT_FALSE(CVaultRegKey(kVaults).readDword(L"3", value));
    EXPECT_FALSE(vault.createRecord(SNewLockbox{}));
}

TEST_F(VaultRecordsTest, CreatedRecordHoldsOnlyTheWizardsValues)
{
    CVault vault;
    SNewLockbox answers;
    answers.name = L"Personal";
    answers.dataFile = L"C:\\Volumes\\123.dat";
    answers.openWithVault = true;
    answers.shortcutKey = 0x50;
    answers.shortcutModifiers = 3;
    ASSERT_TRUE(vault.createRecord(answers));
    const std::wstring subkey = CVaultRegKey(kVaults).encipherText(L"Personal");
    EXPECT_EQ(subkey.size(), 32u);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (kVaults + L"\\" + subkey).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    EXPECT_EQ(values, 5u); // "2", "3", "4", "5", "8"

    const auto& list = vault.loadLockboxes(true);
    ASSERT_EQ(list.size(), 1u);
    const CLockbox& box = *list[0];
    EXPECT_EQ(box.name(), L"Personal");
    EXPECT_EQ(box.dataFile(), L"C:\\Volumes\\123.dat");
    EXPECT_TRUE(box.openWithVault());
    EXPECT_EQ(box.shortcutKey(), 0x50);
    EXPECT_EQ(box.shortcutModifiers(), 3);
    EXPECT_TRUE(box.excludeFromSearch());
    EXPECT_FALSE(box.iconShown());
    EXPECT_EQ(box.timeoutSeconds(), 0u);
    EXPECT_EQ(box.preferredDrive(), 0);
    EXPECT_EQ(box.iconClass(), L"");
    EXPECT_EQ(box.identifier(), 0u);
    EXPECT_EQ(box.driveText(), L"-");
}

TEST_F(VaultRecordsTest, SavedFieldsReadBackAndDriveChangesReachTheDesktop)
{
    CDesktopRecorder desktop;
    CVault vault(&desktop);
    SNewLockbox answers;
    answers.name = L"Work";
    answers.dataFile = L"C:\\1.dat";
    ASSERT_TRUE(vault.createRecord(answers));
    CLockbox& box = *vault.loadLockboxes(true)[0];
    vault.saveRecord(box);
    EXPECT_TRUE(desktop.exclusions.empty()); // no drive ("-"), nothing to exclude

    box.setDataFile(L"\\\\server\\share\\Work.dat");
    box.setOpenWithVault(true);
    box.setExcludeFromSearch(false);
    box.setIconShown(true);
    box.setShortcut(0x70, 4);
    box.setTimeoutSeconds(1200);
    box.setPreferredDrive(L'q');
    box.setIconClass(L"{12345678-9ABC-DEF0-1234-56789ABCDEF0}");
    ASSERT_TRUE(vault.saveRecord(box));
    ASSERT_EQ(desktop.exclusions.size(), 1u);
    EXPECT_EQ(desktop.exclusions[0], std::make_pair(std::wstring(L"Q:"), false));

    CVault reader;
    const CLockbox& read = *reader.loadLockboxes(true).at(0);
    EXPECT_EQ(read.dataFile(), L"\\\\server\\share\\Work.dat");
    EXPECT_TRUE(read.openWithVault());
    EXPECT_FALSE(read.excludeFromSearch());
    EXPECT_TRUE(read.iconShown());
    EXPECT_EQ(read.shortcutKey(), 0x70);
    EXPECT_EQ(read.shortcutModifiers(), 4);
    EXPECT_EQ(read.timeoutSeconds(), 1200u);
    EXPECT_EQ(read.preferredDrive(), L'Q');
    EXPECT_EQ(read.driveText(), L"Q:");
    EXPECT_EQ(read.iconClass(), L"{12345678-9ABC-DEF0-1234-56789ABCDEF0}");
    // Digit pairs at 25, 15, 10 and 1: 56 DE 9A 12, in that byte order.
    EXPECT_EQ(read.identifier(), 0x129ADE56u);
}

TEST_F(VaultRecordsTest, IdentifierAndDriveText)
{
    EXPECT_EQ(CLockbox::identifierFromClass(L""), 0u);
    EXPECT_EQ(CLockbox::identifierFromClass(L"{00000001-0000-0002-0000-030000000000}"), 0x00000003u);
    EXPECT_EQ(CLockbox::identifierFromClass(L"{AB000000-0000-CD00-0000-EF0000000000}"), 0xAB00CDEFu);
    EXPECT_EQ(CLockbox::identifierFromClass(L"{ab000000-0000-cd00-0000-ef0000000000}"), 0xAB00CDEFu);
    CLockbox::identifierFromClass(L"{AB"); // too short: read as far as it goes

    CLockbox box;
    EXPECT_EQ(box.driveText(), L"-");
    box.setPreferredDrive(L'e');
    EXPECT_EQ(box.driveText(), L"E:");
    box.setPreferredDrive(L'1');
    EXPECT_EQ(box.driveText(), L"-");
    box.device().attachState = 1;
    wcscpy(box.device().drive, L"G:");
    EXPECT_EQ(box.driveText(), L"G:");
}

TEST_F(VaultRecordsTest, ReloadFalseReadsNothing)
{
    CVault vault;
    SNewLockbox answers;
    answers.name = L"One";
    ASSERT_TRUE(vault.createRecord(answers));
    ASSERT_EQ(vault.loadLockboxes(false).size(), 1u); // empty list: read
    removeSuiteKeys();
    EXPECT_EQ(vault.loadLockboxes(false).size(), 1u);
    EXPECT_EQ(vault.loadLockboxes(true).size(), 0u);
}

TEST_F(VaultRecordsTest, FindByNameOrPathIgnoringTheCaseOfAToZ)
{
    CVault vault;
    const std::pair<const wchar_t*, const wchar_t*> records[] = {
        {L"Docs", L"C:\\Vol\\1.dat"}, {L"\u00c4rger", L"\\\\nas\\share\\2.dat"}, {L"docs2", L"C:\\Vol\\3.dat"}};
    for (auto [name, path] : records) {
        SNewLockbox a;
        a.name = name;
        a.dataFile = path;
        ASSERT_TRUE(vault.createRecord(a));
    }
    vault.loadLockboxes(true);
    ASSERT_EQ(vault.lockboxes().size(), 3u);
    ASSERT_NE(vault.findLockbox(L"DOCS", false), nullptr);
    EXPECT_EQ(vault.findLockbox(L"DOCS", false)->name(), L"Docs");
    EXPECT_EQ(vault.findLockbox(L"\u00e4rger", false), nullptr); // only A-Z fold
    EXPECT_NE(vault.findLockbox(L"\u00c4RGER", false), nullptr);
    EXPECT_EQ(vault.findLockbox(L"Docs", true), nullptr);
    ASSERT_NE(vault.findLockbox(L"c:\\vol\\3.DAT", true), nullptr);
    EXPECT_EQ(vault.findLockbox(L"c:\\vol\\3.DAT", true)->name(), L"docs2");
    // The driver reports network paths as "UNC\server\...".
    ASSERT_NE(vault.findLockbox(L"UNC\\nas\\share\\2.dat", true), nullptr);
    EXPECT_EQ(vault.findLockbox(L"UNC\\nas\\share\\2.dat", true)->name(), L"\u00c4rger");
    EXPECT_EQ(vault.findLockbox(L"UNC\\nas\\share\\2.dat", false), nullptr);
}

TEST_F(VaultRecordsTest, DeleteRecordRemovesOnlyThatRecord)
{
    CVault vault;
    for (const wchar_t* name : {L"Keep", L"Drop"}) {
        SNewLockbox a;
        a.name = name;
        ASSERT_TRUE(vault.createRecord(a));
    }
    vault.loadLockboxes(true);
    ASSERT_TRUE(vault.deleteRecord(*vault.findLockbox(L"Drop", false)));
    CVault reader;
    ASSERT_EQ(reader.loadLockboxes(true).size(), 1u);
    EXPECT_EQ(reader.lockboxes()[0]->name(), L"Keep");
    CLockbox nameless;
    EXPECT_FALSE(vault.deleteRecord(nameless));
    EXPECT_TRUE(CVaultTest::keyExists(kVaults));
}

TEST_F(VaultRecordsTest, SizeInMegabytesIsMeasuredOnce)
{
    const std::wstring path = pathOf(L"sized.dat");
    ASSERT_TRUE(writeFile(path, std::vector<BYTE>(3 * 1024 * 1024 + 500)));
    CLockbox box;
    box.setDataFile(path);
    EXPECT_EQ(box.sizeMegabytes(), 3u);
    ASSERT_TRUE(writeFile(path, std::vector<BYTE>(5 * 1024 * 1024)));
    EXPECT_EQ(box.sizeMegabytes(), 3u); // kept from the first measurement
    box.device().attachState = 1;
    box.device().diskSize = 64ull << 20;
    EXPECT_EQ(box.sizeMegabytes(), 64u);
    CLockbox missing;
    missing.setDataFile(pathOf(L"none.dat"));
    EXPECT_EQ(missing.sizeMegabytes(), 0u);
}

} // namespace
