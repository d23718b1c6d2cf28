// Data files: naming, creation, the check before use with its messages, the creation of a
// whole lockbox and the deletion of a lockbox with its files; and the vault's string table.

#include "CDataFile.h"
#include "CLockbox.h"
#include "CMessageBoxCapture.h"
#include "CPopupReceiver.h"
#include "CPrivateAreaFile.h"
#include "CVault.h"
#include "CVaultRegKey.h"
#include "CVaultSettings.h"
#include "CVaultTest.h"
#include "ResourceString.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace {

class CIconRecorder : public CNoDesktopIntegration {
public:
    void applySearchExclusion(const std::wstring&, bool) override {}
    void removeDesktopIcon(const CLockbox& lockbox) override { removed.push_back(lockbox.name()); }
    std::vector<std::wstring> removed;
};

using DataFileTest = CVaultTest;

bool isDataFileName(const std::wstring& folder, const std::wstring& path)
{
    if (path.compare(0, folder.size(), folder) != 0 || path.size() < folder.size() + 5)
        return false;
    std::wstring rest = path.substr(folder.size());
    if (rest.substr(rest.size() - 4) != L".dat")
        return false;
    for (size_t i = 0; i + 4 < rest.size(); ++i)
        if (!std::iswdigit(rest[i]))
            return false;
    return true;
}

TEST(VaultStringsTest, StringTableHoldsTheExactTexts)
{
    const std::pair<UINT, const wchar_t*> strings[] = {
        {145, L"Orvel.Cofferix"},
        {164, L"Are you sure that you want to permanently delete the %s lockbox?"},
        {165, L"Unable to delete the data file associated with this lockbox.  You may not have permission to delete "
              L"this file.\n\n(File: %s)"},
        {175, L"You have entered an incorrect password"},
        {208, L"Unable to access the data file for your '%s' lockbox."},
        {210, L"The data file for your '%s' lockbox appears to be read-only or in use by another program."},
        {224, L"The '%s' lockbox data file has been stored with compression which is not compatible with this "
              L"application.  Please remove compression from the data file before opening the lockbox."},
        {32788, L"Unable to create the data file.  Please ensure that you have sufficient disk space at the selected "
                L"location to accommodate your chosen lockbox capacity."},
        {32795, L"You have entered an incorrect answer to your question."},
        {32799, L"Error writing to \"%s\". "},
    };
    for (auto [id, text] : strings)
        EXPECT_EQ(loadString(id), text) << id;
    EXPECT_EQ(loadString(225).rfind(L"The '%s' lockbox data file has been stored with disk-based encryption "
                                                 L"which is not compatible with this applicationt.",
                                                 0),
              0u);
    // Only "%s" is replaced, and a name containing "%s" or "%d" stays as it is.
    EXPECT_EQ(substituteString(208, {L"50%s %d"}), L"Unable to access the data file for your '50%s %d' lockbox.");
}

TEST_F(DataFileTest, NewNamesSkipExistingFiles)
{
    std::wstring first = CDataFile::newName(folder());
    EXPECT_TRUE(isDataFileName(folder(), first)) << first;
    ASSERT_TRUE(writeFile(first, {}));
    std::wstring second = CDataFile::newName(folder());
    EXPECT_TRUE(isDataFileName(folder(), second)) << second;
    EXPECT_NE(second, first);
    EXPECT_EQ(fileSize(second), -1);
}

TEST_F(DataFileTest, CreatedFileIsHeldOpenAtTheEndOfTheDiskImage)
{
    CFileHandle file;
    std::wstring path;
    bool sparse = true;
    ASSERT_TRUE(CDataFile::create(folder(), 2, file, path, &sparse));
    EXPECT_FALSE(sparse); // "EnableSparseFiles" is not 1
    EXPECT_TRUE(isDataFileName(folder(), path));
    LARGE_INTEGER zero{}, position{};
    ASSERT_TRUE(SetFilePointerEx(file.get(), zero, &position, FILE_CURRENT));
    EXPECT_EQ(position.QuadPart, 2 * 1024 * 1024);
    // No sharing while the keys are written.
    CFileHandle other(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(other);
    file.reset();
    EXPECT_EQ(fileSize(path), 0); // nothing written yet

    CFileHandle none;
    EXPECT_FALSE(CDataFile::create(folder() + L"no such folder\\", 1, none, path));
}

TEST_F(DataFileTest, SparseOnlyWhenAskedForAndTheVolumeAllowsIt)
{
    CVaultRegKey(vaultkeys::SuiteRoot).writeDword(CDataFile::SparseSetting, 1);
    wchar_t root[MAX_PATH];
    DWORD flags = 0;
    ASSERT_TRUE(GetVolumePathNameW(folder().c_str(), root, MAX_PATH));
    GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0);
    CFileHandle file;
    std::wstring path;
    bool sparse = false;
    ASSERT_TRUE(CDataFile::create(folder(), 1, file, path, &sparse));
    EXPECT_EQ(sparse, (flags & FILE_SUPPORTS_SPARSE_FILES) != 0);
}

TEST_F(DataFileTest, CheckReportsMissingAndBusyFiles)
{
    CPopupReceiver chronel;
    ASSERT_TRUE(chronel.created());
    CVault vault;
    CLockbox box;
    box.setName(L"Taxes");
    box.setDataFile(pathOf(L"missing.dat"));
    int status = 0;
    bool reported = false;
    EXPECT_FALSE(vault.checkDataFile(box, false, true, status, reported));
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(reported);
    EXPECT_TRUE(chronel.popups().empty());

    EXPECT_FALSE(vault.checkDataFile(box, true, true, status, reported));
    EXPECT_TRUE(reported);
    ASSERT_EQ(chronel.popups().size(), 1u);
    EXPECT_EQ(chronel.popups()[0].kind, 2);
    EXPECT_EQ(chronel.popups()[0].title, L"Orvel.Cofferix");
    EXPECT_EQ(chronel.popups()[0].text, L"Unable to access the data file for your 'Taxes' lockbox.");
    EXPECT_EQ(chronel.popups()[0].displayMilliseconds, 5000u);

    ASSERT_TRUE(writeFile(pathOf(L"busy.dat"), std::vector<BYTE>(100)));
    box.setDataFile(pathOf(L"busy.dat"));
    status = 0;
    reported = false;
    EXPECT_TRUE(vault.checkDataFile(box, true, false, status, reported));
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(reported);
    {
        CFileHandle holder(CreateFileW(pathOf(L"busy.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
        CMessageBoxCapture boxes;
        EXPECT_FALSE(vault.checkDataFile(box, true, false, status, reported));
        EXPECT_EQ(status, 5);
        EXPECT_TRUE(reported);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].caption, L"Orvel.Cofferix");
        EXPECT_EQ(boxes.boxes()[0].text,
                  L"The data file for your 'Taxes' lockbox appears to be read-only or in use by another program.");
    }
    // With popups turned off nothing is sent, and the message still counts as shown.
    CVaultRegKey(vaultkeys::Settings).writeDword(L"PopupMessages", 0);
    box.setDataFile(pathOf(L"missing.dat"));
    reported = false;
    EXPECT_FALSE(vault.checkDataFile(box, true, true, status, reported));
    EXPECT_TRUE(reported);
    EXPECT_EQ(chronel.popups().size(), 1u);
}

TEST_F(DataFileTest, CreateLockboxMakesRecordFileAndKeys)
{
    CVault vault;
    SNewLockbox answers;
    answers.name = L"Projects";
    answers.folder = folder();
    answers.capacityMB = 4;
    answers.password = L"pw";
    answers.question = L"Colour?";
    answers.answer = L"blue";
    answers.openWithVault = true;
    int status = -1;
    ASSERT_TRUE(vault.createLockbox(answers, status));
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(isDataFileName(folder(), answers.dataFile));
    CLockbox* box = vault.findLockbox(answers.dataFile, true);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->name(), L"Projects");
    EXPECT_TRUE(box->openWithVault());
    EXPECT_EQ(box->question(), L"Colour?");
    EXPECT_EQ(box->mode(), 1);
    EXPECT_TRUE(box->verifyPassword(L"pw"));
    EXPECT_TRUE(box->verifyAnswer(L"blue"));
    EXPECT_EQ(CPrivateAreaFile::usableSize(answers.dataFile), 4u * 1024 * 1024);
    EXPECT_EQ(box->sizeMegabytes(), 4u);
    EXPECT_TRUE(CPrivateAreaFile::ensureSideFile(answers.dataFile));

    // A second lockbox of the same name would take the first one's record.
    SNewLockbox twin = answers;
    twin.dataFile.clear();
    EXPECT_FALSE(vault.createLockbox(twin, status));
    EXPECT_EQ(status, -1);
    vault.loadLockboxes(true);
    ASSERT_EQ(vault.lockboxes().size(), 1u);
    EXPECT_EQ(vault.lockboxes()[0]->dataFile(), answers.dataFile);
}

TEST_F(DataFileTest, DataFileThatCannotBeMadeLeavesNoRecord)
{
    CVault vault;
    SNewLockbox answers;
    answers.name = L"Nowhere";
    answers.folder = folder() + L"missing\\";
    answers.capacityMB = 1;
    answers.password = L"pw";
    int status = 0;
    EXPECT_FALSE(vault.createLockbox(answers, status));
    EXPECT_EQ(status, IDS_CREATE_DATA_FILE_FAILED);
    EXPECT_TRUE(vault.loadLockboxes(true).empty());
}

TEST_F(DataFileTest, DeleteLockboxWithItsFiles)
{
    CIconRecorder desktop;
    CVault vault(&desktop);
    SNewLockbox answers;
    answers.name = L"Old";
    answers.folder = folder();
    answers.capacityMB = 1;
    answers.password = L"pw";
    int status = -1;
    ASSERT_TRUE(vault.createLockbox(answers, status));
    const std::wstring side = CPrivateAreaFile::sideFilePath(answers.dataFile);
    ASSERT_NE(fileSize(side), -1);
    CLockbox* box = vault.findLockbox(L"Old", false);
    ASSERT_NE(box, nullptr);

    // Keeping the data: only the icon and the record go.
    EXPECT_TRUE(vault.deleteLockbox(*box, false));
    EXPECT_EQ(desktop.removed, std::vector<std::wstring>{L"Old"});
    EXPECT_TRUE(CVault().loadLockboxes(true).empty());
    EXPECT_NE(fileSize(answers.dataFile), -1);

    CMessageBoxCapture boxes;
    EXPECT_TRUE(vault.deleteLockbox(*box, true));
    EXPECT_EQ(fileSize(answers.dataFile), -1);
    EXPECT_EQ(fileSize(side), -1);
    // The data file already gone: the record (and a side file left over) go without a word.
    ASSERT_TRUE(writeFile(side, {1, 2, 3}));
    EXPECT_TRUE(vault.deleteLockbox(*box, true));
    EXPECT_EQ(fileSize(side), -1);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(DataFileTest, DataFileThatCannotBeDeletedIsReported)
{
    CVault vault;
    const std::wstring path = makeLockboxFile(L"pw");
    CLockbox box;
    box.setName(L"Held");
    box.setDataFile(path);
    CFileHandle holder(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    CMessageBoxCapture boxes;
    EXPECT_TRUE(vault.deleteLockbox(box, true));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, L"Unable to delete the data file associated with this lockbox.  You may not "
                                     L"have permission to delete this file.\n\n(File: "
                                         + path + L")");
    EXPECT_NE(fileSize(path), -1);
    EXPECT_EQ(fileSize(CPrivateAreaFile::sideFilePath(path)), -1);
}

} // namespace
