// In-use detection over the stand-in system: which handle-table entries count, how names are
// matched to disks, and what becomes of processes that cannot be asked.

#include "CInUseDetector.h"
#include "CSystemHandlesStandIn.h"

#include <gtest/gtest.h>

namespace {

using SHandle = CSystemHandlesStandIn::SHandle;

const std::wstring kDisk3 = L"\\Device\\SDisk3";

SHandle fileOn(DWORD pid, USHORT handle, const std::wstring& kernelName, BYTE type = 28)
{
    SHandle h;
    h.processId = pid;
    h.handle = handle;
    h.type = type;
    h.kernelName = kernelName;
    h.fileName = kernelName;
    return h;
}

class InUseDetectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        system.addProcess(100, L"C:\\Program Files\\Office\\WINWORD.EXE");
        system.addProcess(200, L"C:\\windows\\notepad.exe");
    }
    void TearDown() override { EXPECT_EQ(system.openHandles(), 0) << "every handle given back"; }

    CSystemHandlesStandIn system;
};

struct TypeCase {
    BYTE type;
    bool counted;
};

class InUseTypeTest : public InUseDetectorTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(InUseTypeTest, OnlyTypes26And28AreFiles)
{
    system.addHandle(fileOn(100, 8, kDisk3 + L"\\a.doc", GetParam().type));
    CInUseDetector detector(system);
    ASSERT_TRUE(detector.detect({kDisk3}));
    EXPECT_EQ(detector.programs().size(), GetParam().counted ? 1u : 0u);
    EXPECT_EQ(detector.filesByProcess().count(100), GetParam().counted ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Types, InUseTypeTest,
                         ::testing::Values(TypeCase{26, true}, TypeCase{28, true}, TypeCase{0, false},
                                           TypeCase{25, false}, TypeCase{27, false}, TypeCase{29, false},
                                           TypeCase{36, false}));

TEST_F(InUseDetectorTest, LearnsTheFileTypeFromAnObjectNamedFile)
{
    // A type-26 object that is no file teaches nothing and gives no name.
    SHandle key = fileOn(100, 8, kDisk3 + L"\\key", 26);
    key.typeName = L"Key";
    system.addHandle(key);
    system.addHandle(fileOn(100, 12, kDisk3 + L"\\a.doc", 28));
    system.addHandle(fileOn(200, 16, kDisk3 + L"\\b.txt", 26));

    CInUseDetector detector(system);
    ASSERT_TRUE(detector.detect({kDisk3}));
    EXPECT_EQ(detector.fileType(), 28);
    EXPECT_EQ(detector.itemsOf(L"C:\\Program Files\\Office\\WINWORD.EXE"),
              (std::vector<std::wstring>{L"", kDisk3 + L"\\a.doc"}));
    // Once 28 is known, the type-26 entry after it no longer counts.
    EXPECT_TRUE(detector.itemsOf(L"C:\\windows\\notepad.exe").empty());
    EXPECT_EQ(detector.programs(), std::vector<std::wstring>{L"C:\\Program Files\\Office\\WINWORD.EXE"});

    // And it stays known for the next detection.
    ASSERT_TRUE(detector.detect({kDisk3}));
    EXPECT_EQ(detector.programs().size(), 1u);
}

struct PrefixCase {
    const wchar_t* kernelName;
    bool matches;
};

class InUsePrefixTest : public InUseDetectorTest, public ::testing::WithParamInterface<PrefixCase> {};

TEST_P(InUsePrefixTest, NameBeginsWithTheDeviceExactly)
{
    system.addHandle(fileOn(100, 8, GetParam().kernelName));
    CInUseDetector detector(system);
    ASSERT_TRUE(detector.detect({kDisk3}));
    EXPECT_EQ(detector.programs().size(), GetParam().matches ? 1u : 0u) << GetParam().kernelName;
}

INSTANTIATE_TEST_SUITE_P(Prefixes, InUsePrefixTest,
                         ::testing::Values(PrefixCase{L"\\Device\\SDisk3\\Docs\\a.doc", true},
                                           PrefixCase{L"\\Device\\SDisk3", true},
                                           PrefixCase{L"\\Device\\SDisk31\\a.doc", true},
                                           PrefixCase{L"\\device\\sdisk3\\a.doc", false},
                                           PrefixCase{L"\\DEVICE\\SDISK3\\a.doc", false},
                                           PrefixCase{L"\\Device\\SDisk", false},
                                           PrefixCase{L"\\Device\\SDisk4\\a.doc", false},
                                           PrefixCase{L"\\Device\\HarddiskVolume1\\Device\\SDisk3", false},
                                           PrefixCase{L"", false}));

TEST_F(InUseDetectorTest, SkipsTheVaultsOwnProcess)
{
    system.addProcess(system.ownProcessId, L"C:\\Program Files\\Velmora\\Chronel.exe");
    system.addHandle(fileOn(system.ownProcessId, 8, kDisk3 + L"\\own.dat"));
    system.addHandle(fileOn(200, 8, kDisk3 + L"\\b.txt"));
    CInUseDetector detector(system);
    ASSERT_TRUE(detector.detect({kDisk3}));
    EXPECT_EQ(detector.programs(), std::vector<std::wstring>{L"C:\\windows\\notepad.exe"});
    EXPECT_EQ(detector.filesByProcess().count(system.ownProcessId), 0u);
}

TEST_F(InUseDetectorTest, FailedDuplicateGivesAnEmptyName)
{
    SHandle held = fileOn(100, 8, kDisk3 + L"\\locked.doc");
    held.duplicateFails = true;
    system.addHandle(held);
    system.addHandle(fileOn(100, 12, kDisk3 + L"\\open.doc"));
    CInUseDetector detector(system);
    ASSERT_TRUE(detector.detect({kDisk3}));
    EXPECT_EQ(detector.itemsOf(L"C:\\Program Files\\Office\\WINWORD.EXE"),
              (std::vector<std::wstring>{L"", kDisk3 + L"\\open.doc"}));
}

TEST_F(InUseDetectorTest, ProcessThatCannotBeOpenedGivesNoProgram)
{
    system.addProcess(300, L"C:\\secret\\service.exe", false);
    system.addHandle(fileOn(300, 8, kDisk3 + L"\\a.doc"));
    system.addHandle(fileOn(200, 8, kDisk3 + L"\\b.txt"));
    CInUseDetector detector(system);
    ASSERT_TRUE(detector.detect({kDisk3}));
    EXPECT_EQ(detector.programs(), std::vector<std::wstring>{L"C:\\windows\\notepad.exe"});
    // Its handle is still seen, with no name since it could not be duplicated either.
    ASSERT_EQ(detector.filesByProcess().count(300), 1u);
    EXPECT_EQ(detector.filesByProcess().at(300), std::vector<std::wstring>{L""});
    EXPECT_TRUE(detector.itemsOf(L"C:\\secret\\service.exe").empty());
}

TEST_F(InUseDetectorTest, TwoDeviceNames)
{
    system.addHandle(fileOn(100, 8, L"\\Device\\SDisk3\\a.doc"));
    system.addHandle(fileOn(200, 8, L"\\Device\\SDisk5\\b.txt"));
    system.addHandle(fileOn(200, 12, L"\\Device\\SDisk7\\c.txt"));
    CInUseDetector detector(system);
    ASSERT_TRUE(detector.detect({L"\\Device\\SDisk3", L"\\Device\\SDisk5"}));
    EXPECT_EQ(detector.programs(), (std::vector<std::wstring>{L"C:\\Program Files\\Office\\WINWORD.EXE",
                                                               L"C:\\windows\\notepad.exe"}));
    EXPECT_EQ(detector.itemsOf(L"C:\\windows\\notepad.exe"), std::vector<std::wstring>{L"\\Device\\SDisk5\\b.txt"});
}

TEST_F(InUseDetectorTest, CountLargerThanTheAnswerIsCut)
{
    for (USHORT i = 0; i < 3; ++i)
        system.addHandle(fileOn(100, static_cast<USHORT>(4 + 4 * i), kDisk3 + L"\\f" + std::to_wstring(i)));
    system.reportedCount = 1000000;
    CInUseDetector detector(system);
    std::vector<fileinfo::SystemHandleEntry> entries;
    ASSERT_TRUE(detector.readHandleTable(entries));
    EXPECT_EQ(entries.size(), 3u);
    ASSERT_TRUE(detector.detect({kDisk3}));
    EXPECT_EQ(detector.itemsOf(L"C:\\Program Files\\Office\\WINWORD.EXE").size(), 3u);
}

TEST_F(InUseDetectorTest, ReturnedSizeBoundsTheEntriesRead)
{
    for (USHORT i = 0; i < 5; ++i)
        system.addHandle(fileOn(100, static_cast<USHORT>(4 + 4 * i), kDisk3 + L"\\f" + std::to_wstring(i)));
    const ULONG header = sizeof(void*) == 8 ? 8 : 4;
    // Two whole entries and half of a third.
    system.reportedBytes = header + 2 * sizeof(fileinfo::SystemHandleEntry) + sizeof(fileinfo::SystemHandleEntry) / 2;
    CInUseDetector detector(system);
    std::vector<fileinfo::SystemHandleEntry> entries;
    ASSERT_TRUE(detector.readHandleTable(entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].processId, 100u);
    EXPECT_EQ(entries[1].handle, 8);
}

TEST_F(InUseDetectorTest, BufferDoublesUntilTheTableFits)
{
    for (int i = 0; i < 1000; ++i)
        system.addHandle(fileOn(200, static_cast<USHORT>(4 + 4 * i), L"\\Device\\HarddiskVolume1\\x", 36));
    CInUseDetector detector(system);
    std::vector<fileinfo::SystemHandleEntry> entries;
    ASSERT_TRUE(detector.readHandleTable(entries));
    ASSERT_EQ(entries.size(), 1000u);
    EXPECT_EQ(entries[999].handle, 4 + 4 * 999);
    // 1000 entries need 16 or 24 kB: 8192, then 16384, then (x64) 32768.
    const ULONG expected = sizeof(void*) == 8 ? 32768 : 16384;
    EXPECT_EQ(system.largestBuffer(), expected);
    EXPECT_EQ(system.tableQueries(), sizeof(void*) == 8 ? 3 : 2);
}

struct FailureCase {
    const char* what;
    bool nativeMissing, deviceMissing, psapiMissing;
};

class InUseFailureTest : public InUseDetectorTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(InUseFailureTest, DetectFails)
{
    system.addHandle(fileOn(100, 8, kDisk3 + L"\\a.doc"));
    system.nativeMissing = GetParam().nativeMissing;
    system.deviceMissing = GetParam().deviceMissing;
    system.psapiMissing = GetParam().psapiMissing;
    CInUseDetector detector(system);
    EXPECT_FALSE(detector.detect({kDisk3})) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Missing, InUseFailureTest,
                         ::testing::Values(FailureCase{"ntdll", true, false, false},
                                           FailureCase{"FileInfo", false, true, false},
                                           FailureCase{"PSAPI", false, false, true}));

struct FriendlyCase {
    const wchar_t* path;
    const wchar_t* name;
};

class FriendlyNameTest : public ::testing::TestWithParam<FriendlyCase> {};

TEST_P(FriendlyNameTest, KnownProgramsByName)
{
    EXPECT_EQ(CInUseDetector::friendlyName(GetParam().path), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Names, FriendlyNameTest,
    ::testing::Values(FriendlyCase{L"C:\\Program Files\\Microsoft Office\\WINWORD.EXE", L"Microsoft Word"},
                      FriendlyCase{L"D:\\Other\\Place\\winword.exe", L"Microsoft Word"},
                      FriendlyCase{L"C:\\x\\WinWord.Exe", L"Microsoft Word"},
                      FriendlyCase{L"WINWORD.EXE", L"Microsoft Word"},
                      FriendlyCase{L"C:\\WINDOWS\\explorer.exe", L"Windows Explorer"},
                      FriendlyCase{L"C:\\a\\wordpad.exe", L"WordPad"},
                      FriendlyCase{L"C:\\a\\MSPAINT.EXE", L"Microsoft Paint"},
                      FriendlyCase{L"C:\\a\\calc.exe", L"Calculator"},
                      FriendlyCase{L"C:\\a\\IEXPLORE.EXE", L"Internet Explorer"},
                      FriendlyCase{L"C:\\a\\EXCEL.EXE", L"Microsoft Excel"},
                      FriendlyCase{L"C:\\a\\POWERPNT.EXE", L"Microsoft PowerPoint"},
                      FriendlyCase{L"C:\\a\\notepad.exe", L"Notepad"},
                      FriendlyCase{L"C:\\a\\VISIO32.EXE", L"Microsoft Visio"},
                      // Only the last dot ends the name; unknown programs keep their path.
                      FriendlyCase{L"C:\\a\\winword.old.exe", L"C:\\a\\winword.old.exe"},
                      FriendlyCase{L"C:\\winword.dir\\other.exe", L"C:\\winword.dir\\other.exe"},
                      FriendlyCase{L"C:\\a\\notepad2.exe", L"C:\\a\\notepad2.exe"},
                      FriendlyCase{L"C:\\a\\calc", L"Calculator"}));

} // namespace
