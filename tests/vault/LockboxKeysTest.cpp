// Keys and passwords: opening by account or password, the second account, password changes
// and resets, the question, the mode, and the upgrade of an earlier-format lockbox.

#include "CCryptoEngine.h"
#include "CKeyContainer.h"
#include "CLockbox.h"
#include "CLockboxKeys.h"
#include "CMd5.h"
#include "CMessageBoxCapture.h"
#include "CPrivateAreaFile.h"
#include "CVaultTest.h"
#include "UniqueHandle.h"

#include <gtest/gtest.h>

namespace {

using LockboxKeysTest = CVaultTest;

CSecretBytes accountKey(const std::wstring& path)
{
    CLockboxKeys keys(path);
    CSecretBytes key;
    if (keys.load())
        keys.unlockWithAccount(key);
    return key;
}

// Mode 0: the Windows account may open the lockbox without its password.
void allowAccount(const std::wstring& path, const std::wstring& password)
{
    CLockboxKeys keys(path);
    ASSERT_TRUE(keys.load());
    keys.setMode(password, 0);
    EXPECT_EQ(keys.mode(), 0);
}

// Switches the container to another Windows account's key pair (or back to a saved one).
void becomeAccount(const std::vector<BYTE>& pair)
{
    CCryptoEngine::instance().release();
    ASSERT_TRUE(CKeyContainer::restoreExchangePair(CCryptoEngine::ContainerName, pair));
}

TEST_F(LockboxKeysTest, NewLockboxOpensOnlyWithItsPassword)
{
    const std::wstring path = makeLockboxFile(L"pw", L"Q?", L"A");
    ASSERT_FALSE(path.empty());
    CLockboxKeys keys(path);
    ASSERT_TRUE(keys.load());
    EXPECT_EQ(keys.mode(), 1);
    EXPECT_EQ(keys.area().userEntries.size(), 1u);
    CSecretBytes key;
    // Mode 1: not even the account that made the lockbox gets in without the password.
    EXPECT_FALSE(keys.unlockWithAccount(key));
    EXPECT_TRUE(key.empty());
    EXPECT_FALSE(keys.unlockWithPassword(L"PW", true, key));
    EXPECT_FALSE(keys.unlockWithPassword(L"", true, key));
    ASSERT_TRUE(keys.unlockWithPassword(L"pw", true, key));
    EXPECT_EQ(key.size(), 16u);
    // The stored items are what the key hierarchy says they are.
    auto digest = CMd5::digest(key.data(), key.size());
    EXPECT_EQ(keys.area().digest, std::vector<BYTE>(digest.begin(), digest.end()));
    EXPECT_EQ(keys.area().passwordVerifier, "52E8D430D7BF557F318AC0D094FBA41F"); // H(H("pw"))
}

TEST_F(LockboxKeysTest, ModeZeroOpensByAccount)
{
    const std::wstring path = makeLockboxFile(L"pw");
    CSecretBytes byPassword = diskKeyOf(path, L"pw");
    {
        CLockboxKeys keys(path);
        ASSERT_TRUE(keys.load());
        keys.setMode(L"wrong", 0);
        EXPECT_EQ(keys.mode(), 1);
        keys.setMode(L"pw", 0);
        EXPECT_EQ(keys.mode(), 0);
    }
    EXPECT_EQ(accountKey(path), byPassword);
    {
        CLockboxKeys keys(path);
        ASSERT_TRUE(keys.load());
        EXPECT_EQ(keys.mode(), 0);
        keys.setMode(L"pw", 1);
    }
    EXPECT_TRUE(accountKey(path).empty());
}

// Another Windows account (another key pair in the container) is not let in by its account
// until it has opened the lockbox once with the password; then both accounts are.
TEST_F(LockboxKeysTest, SecondAccountIsLetInAfterOneOpenWithThePassword)
{
    const auto first = CKeyContainer::newExchangePair(CCryptoEngine::ContainerName);
    ASSERT_FALSE(first.empty());
    const std::wstring path = makeLockboxFile(L"pw");
    const CSecretBytes key = diskKeyOf(path, L"pw");
    allowAccount(path, L"pw");
    ASSERT_EQ(accountKey(path), key);
    const int64_t before = fileSize(path);

    CCryptoEngine::instance().release();
    const auto second = CKeyContainer::newExchangePair(CCryptoEngine::ContainerName);
    ASSERT_FALSE(second.empty());
    {
        CLockboxKeys keys(path);
        ASSERT_TRUE(keys.load());
        CSecretBytes got;
        EXPECT_FALSE(keys.unlockWithAccount(got));
        ASSERT_TRUE(keys.unlockWithPassword(L"pw", true, got));
        EXPECT_EQ(got, key);
        ASSERT_EQ(keys.area().userEntries.size(), 2u);
        EXPECT_EQ(fileSize(path), before + 4 + static_cast<int64_t>(keys.area().userEntries[1].size()));
    }
    EXPECT_EQ(accountKey(path), key);
    // Opening again with the password adds nothing more.
    {
        CLockboxKeys keys(path);
        ASSERT_TRUE(keys.load());
        CSecretBytes got;
        ASSERT_TRUE(keys.unlockWithAccount(got));
        ASSERT_TRUE(keys.unlockWithPassword(L"pw", true, got));
        EXPECT_EQ(keys.area().userEntries.size(), 2u);
    }
    becomeAccount(first);
    EXPECT_EQ(accountKey(path), key);
}

// Without the add-account flag (a password change checks the old password that way) no entry
// is added.
TEST_F(LockboxKeysTest, PasswordCheckWithoutAddAccountAddsNoEntry)
{
    const std::wstring path = makeLockboxFile(L"pw");
    allowAccount(path, L"pw");
    CCryptoEngine::instance().release();
    ASSERT_FALSE(CKeyContainer::newExchangePair(CCryptoEngine::ContainerName).empty());
    CLockboxKeys keys(path);
    ASSERT_TRUE(keys.load());
    CSecretBytes got;
    EXPECT_FALSE(keys.unlockWithAccount(got));
    ASSERT_TRUE(keys.unlockWithPassword(L"pw", false, got));
    EXPECT_EQ(keys.area().userEntries.size(), 1u);
}

TEST_F(LockboxKeysTest, ChangePasswordByOldPassword)
{
    const std::wstring path = makeLockboxFile(L"old", L"Q?", L"ans");
    const CSecretBytes key = diskKeyOf(path, L"old");
    const auto before = readFile(path);
    const auto sideBefore = readFile(CPrivateAreaFile::sideFilePath(path));
    CLockboxKeys keys(path);
    ASSERT_TRUE(keys.load());
    // The same text: success, and nothing is written.
    EXPECT_TRUE(keys.changePassword(L"old", L"old", true));
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(readFile(CPrivateAreaFile::sideFilePath(path)), sideBefore);
    for (auto [oldText, newText] : {std::pair{L"", L"new"}, {L"old", L""}, {L"wrong", L"new"}})
        EXPECT_FALSE(keys.changePassword(oldText, newText, true)) << oldText << " -> " << newText;
    EXPECT_EQ(readFile(path), before);

    ASSERT_TRUE(keys.changePassword(L"old", L"new", true));
    EXPECT_TRUE(diskKeyOf(path, L"old").empty());
    EXPECT_EQ(diskKeyOf(path, L"new"), key);
    EXPECT_EQ(fileSize(path), static_cast<int64_t>(before.size()));
    CLockboxKeys after(path);
    ASSERT_TRUE(after.load());
    EXPECT_TRUE(after.verifyAnswer(L"ans")); // answer items kept
    EXPECT_EQ(after.question(), L"Q?");
    EXPECT_EQ(after.area().userEntries, keys.area().userEntries);
}

TEST_F(LockboxKeysTest, ResetByAnswerKeepsTheDiskKey)
{
    const std::wstring path = makeLockboxFile(L"forgotten", L"First pet?", L"Rex");
    const CSecretBytes key = diskKeyOf(path, L"forgotten");
    CLockboxKeys keys(path);
    ASSERT_TRUE(keys.load());
    EXPECT_FALSE(keys.verifyAnswer(L""));
    EXPECT_FALSE(keys.verifyAnswer(L"rex"));
    EXPECT_TRUE(keys.verifyAnswer(L"Rex"));
    EXPECT_FALSE(keys.changePassword(L"", L"fresh", false));
    EXPECT_FALSE(keys.changePassword(L"rex", L"fresh", false));
    EXPECT_FALSE(keys.changePassword(L"Rex", L"", false));
    ASSERT_TRUE(keys.changePassword(L"Rex", L"fresh", false));
    EXPECT_TRUE(diskKeyOf(path, L"forgotten").empty());
    EXPECT_EQ(diskKeyOf(path, L"fresh"), key);
}

TEST_F(LockboxKeysTest, QuestionAndAnswerCanBeReplaced)
{
    const std::wstring path = makeLockboxFile(L"pw", L"", L"");
    const CSecretBytes key = diskKeyOf(path, L"pw");
    {
        CLockboxKeys keys(path);
        ASSERT_TRUE(keys.load());
        EXPECT_EQ(keys.question(), L"");
        keys.setQuestion(L"Stra\u00dfe?", L"Hauptstra\u00dfe", key);
        EXPECT_FALSE(keys.writeFailed());
    }
    CLockboxKeys keys(path);
    ASSERT_TRUE(keys.load());
    EXPECT_EQ(keys.question(), L"Stra\u00dfe?");
    ASSERT_TRUE(keys.changePassword(L"Hauptstra\u00dfe", L"next", false));
    EXPECT_EQ(diskKeyOf(path, L"next"), key);
}

// The earlier format used the password as the disk key. The first open with the password
// writes the current key items around that same key, so the contents stay readable.
TEST_F(LockboxKeysTest, EarlierFormatLockboxIsUpgradedWithItsDiskKey)
{
    const std::wstring path = pathOf(L"old.dat");
    const std::vector<BYTE> image(1024 * 1024, 0x6B);
    ASSERT_TRUE(writeFile(path, image));
    CLockbox box;
    box.setDataFile(path);
    box.setLegacyPasswordCheck(CMd5::textHash(L"p\u00e4ss\u4e2d"));
    EXPECT_EQ(box.question(), L"");
    EXPECT_EQ(box.mode(), 1);
    CSecretBytes key;
    EXPECT_FALSE(box.unlockWithPassword(L"", false, key));
    EXPECT_FALSE(box.unlockWithPassword(L"wrong", false, key));
    // A silent retry checks only: no key, nothing written.
    EXPECT_FALSE(box.unlockWithPassword(L"p\u00e4ss\u4e2d", true, key));
    EXPECT_EQ(readFile(path), image);

    ASSERT_TRUE(box.unlockWithPassword(L"p\u00e4ss\u4e2d", false, key));
    // Non-zero bytes of 70 00 E4 00 73 00 73 00 2D 4E, zero-padded to 16.
    const BYTE expected[16] = {0x70, 0xE4, 0x73, 0x73, 0x2D, 0x4E};
    EXPECT_EQ(key.bytes(), std::vector<BYTE>(expected, expected + 16));
    EXPECT_GT(fileSize(path), static_cast<int64_t>(image.size()));
    EXPECT_EQ(CPrivateAreaFile::usableSize(path), image.size());
    auto now = readFile(path);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), now.begin()));
    EXPECT_EQ(diskKeyOf(path, L"p\u00e4ss\u4e2d"), key);
    EXPECT_EQ(box.mode(), 1);
    EXPECT_EQ(box.question(), L"");

    // No stored check: any non-empty password makes the key, as the earlier version did.
    const std::wstring unchecked = pathOf(L"unchecked.dat");
    ASSERT_TRUE(writeFile(unchecked, image));
    CLockbox other;
    other.setDataFile(unchecked);
    CSecretBytes longKey;
    ASSERT_TRUE(other.unlockWithPassword(L"0123456789abcdefXYZ", false, longKey));
    EXPECT_EQ(std::string(longKey.data(), longKey.data() + 16), "0123456789abcdef");
}

// A damaged area is no earlier-format lockbox: no key from the password, no upgrade appended.
TEST_F(LockboxKeysTest, DamagedAreaIsNeverUpgraded)
{
    const std::wstring path = makeLockboxFile(L"pw");
    DeleteFileW(CPrivateAreaFile::sideFilePath(path).c_str());
    auto bytes = readFile(path);
    bytes[1024 * 1024 + 4] ^= 0x55; // the user-entry count
    ASSERT_TRUE(writeFile(path, bytes));
    CLockbox box;
    box.setDataFile(path);
    CSecretBytes key;
    EXPECT_FALSE(box.unlockWithPassword(L"pw", false, key));
    EXPECT_FALSE(box.verifyPassword(L"pw"));
    EXPECT_EQ(readFile(path), bytes);
}

TEST_F(LockboxKeysTest, WrappersFailWithoutDataFile)
{
    CLockbox box;
    box.setDataFile(pathOf(L"gone.dat"));
    CSecretBytes key;
    EXPECT_FALSE(box.unlockWithAccount(key));
    EXPECT_FALSE(box.unlockWithPassword(L"pw", false, key));
    EXPECT_FALSE(box.verifyPassword(L"pw"));
    EXPECT_FALSE(box.verifyAnswer(L"a"));
    EXPECT_FALSE(box.changePassword(L"pw", L"x", true));
    EXPECT_FALSE(box.setMode(L"pw", 0));
    EXPECT_EQ(box.mode(), 1);
    EXPECT_EQ(box.question(), L"");
    EXPECT_EQ(fileSize(pathOf(L"gone.dat")), -1);
}

TEST_F(LockboxKeysTest, LockboxWrappersLoadTheirKeysOnce)
{
    const std::wstring path = makeLockboxFile(L"pw", L"Q?", L"A");
    CLockbox box;
    box.setDataFile(path);
    EXPECT_FALSE(box.hasKeys());
    EXPECT_EQ(box.question(), L"Q?");
    EXPECT_TRUE(box.hasKeys());
    EXPECT_TRUE(box.verifyPassword(L"pw"));
    EXPECT_TRUE(box.verifyAnswer(L"A"));
    ASSERT_TRUE(box.setMode(L"pw", 0));
    EXPECT_EQ(box.mode(), 0);
    CSecretBytes byAccount, byPassword;
    ASSERT_TRUE(box.unlockWithAccount(byAccount));
    ASSERT_TRUE(box.unlockWithPassword(L"pw", true, byPassword));
    EXPECT_EQ(byAccount, byPassword);
    ASSERT_TRUE(box.changePassword(L"pw", L"pw2", true));
    box.discardKeys();
    EXPECT_FALSE(box.verifyPassword(L"pw"));
    EXPECT_TRUE(box.verifyPassword(L"pw2"));
}

// A private area that cannot be written is reported with the data file's path, and the key
// items are dropped so that the next operation reads the file again.
TEST_F(LockboxKeysTest, FailedRewriteIsReportedAndTheKeysDropped)
{
    const std::wstring path = makeLockboxFile(L"pw");
    CLockbox box;
    box.setDataFile(path);
    ASSERT_TRUE(box.verifyPassword(L"pw"));
    // Another program holds the data file open without sharing.
    CFileHandle holder(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    CMessageBoxCapture boxes;
    EXPECT_FALSE(box.changePassword(L"pw", L"other", true));
    holder.reset();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, L"Orvel.Cofferix");
    EXPECT_EQ(boxes.boxes()[0].text, L"Error writing to \"" + path + L"\". ");
    EXPECT_FALSE(box.hasKeys());
    EXPECT_TRUE(box.verifyPassword(L"pw"));
    EXPECT_FALSE(box.verifyPassword(L"other"));
}

} // namespace
