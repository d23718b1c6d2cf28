// Cabinets made with gcab extracted through the system's cabinet.dll, and the signature rules
// before a downloaded installer may start, on Wine's real WinVerifyTrust.
#include "CCabinetExtractor.h"
#include "CInstallerLauncher.h"
#include "CScratchFolder.h"
#include "CWinTrustVerifier.h"
#include "UpdateFixture.h"

#include <gtest/gtest.h>

namespace {

void expectStoredStamp(const std::wstring& path)
{
    // gcab stored the files' modification time, 2021-03-04 05:06:08 local time.
    for (bool creation : {false, true}) {
        const SYSTEMTIME t = localWriteTime(path, creation);
        EXPECT_EQ(t.wYear, 2021) << path;
        EXPECT_EQ(t.wMonth, 3);
        EXPECT_EQ(t.wDay, 4);
        EXPECT_EQ(t.wHour, 5);
        EXPECT_EQ(t.wMinute, 6);
        EXPECT_EQ(t.wSecond, 8);
    }
}

DWORD attributesOf(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) &
           (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
}

} // namespace

TEST(CabinetExtraction, WritesEveryFileWithItsStoredDateTimeAndAttributes)
{
    CScratchFolder folder(L"cabinet");
    const auto result = CCabinetExtractor::extract(updateFixture(L"update.cab"), folder.path());
    EXPECT_TRUE(result.complete);
    EXPECT_TRUE(result.refused.empty());
    ASSERT_EQ(result.written.size(), 2u);
    const std::wstring installer = folder.path() + L"ChronelInstaller.exe";
    const std::wstring readme = folder.path() + L"readme.txt";
    EXPECT_EQ(readBytes(installer), readBytes(updateFixture(L"installer-publisher.exe")));
    EXPECT_EQ(readBytes(readme), (std::vector<BYTE>{'n', 'e', 'w', ' ', 'v', 'e', 'r', 's', 'i', 'o', 'n', '\r', '\n'}));
    expectStoredStamp(installer);
    expectStoredStamp(readme);
    // Read-only, hidden, system and archive are kept; the executable bit is not a Windows one.
    EXPECT_EQ(attributesOf(readme),
              DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(attributesOf(installer), DWORD(FILE_ATTRIBUTE_ARCHIVE));

    // A second extraction replaces the read-only copy.
    const auto again = CCabinetExtractor::extract(updateFixture(L"update.cab"), folder.path());
    EXPECT_TRUE(again.complete);
    EXPECT_EQ(again.written.size(), 2u);
    SetFileAttributesW(readme.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(CabinetExtraction, RefusesStoredNamesThatLeaveTheFolderAndExtractsTheRest)
{
    CScratchFolder outer(L"cabinet outer");
    ASSERT_TRUE(outer.createFolder(L"target"));
    const std::wstring target = outer.path() + L"target\\";
    const auto result = CCabinetExtractor::extract(updateFixture(L"traversal.cab"), target);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.written, (std::vector<std::wstring>{target + L"good.txt"}));
    EXPECT_EQ(result.refused, (std::vector<std::wstring>{L"..\\evil1.txt", L"C:\\evil2.txt", L"\\evil3.txt"}));
    EXPECT_FALSE(fileExists(outer.path() + L"evil1.txt"));
    EXPECT_FALSE(fileExists(L"C:\\evil2.txt"));
    EXPECT_FALSE(fileExists(L"C:\\evil3.txt"));
    EXPECT_FALSE(fileExists(target + L"evil1.txt"));
}

TEST(CabinetExtraction, ATruncatedOrMissingCabinetIsNotComplete)
{
    CScratchFolder folder(L"cabinet bad");
    std::vector<BYTE> bytes = readBytes(updateFixture(L"update.cab"));
    ASSERT_GT(bytes.size(), 200u);
    bytes.resize(bytes.size() / 2);
    ASSERT_TRUE(folder.write(L"half.cab", std::string(bytes.begin(), bytes.end())));
    EXPECT_FALSE(CCabinetExtractor::extract(folder.path() + L"half.cab", folder.path()).complete);
    EXPECT_FALSE(CCabinetExtractor::extract(folder.path() + L"none.cab", folder.path()).complete);
    ASSERT_TRUE(folder.write(L"text.cab", "not a cabinet at all"));
    EXPECT_FALSE(CCabinetExtractor::extract(folder.path() + L"text.cab", folder.path()).complete);
}

namespace {

// Wine accepts a chain that no store trusts; this stand-in answers as Windows does for one.
class UntrustedRootTrust : public ITrustVerifier {
public:
    LONG verify(const std::wstring&, HANDLE) override { return CERT_E_UNTRUSTEDROOT; }
    std::wstring signerSubject(const std::wstring& path) override { return real.signerSubject(path); }
    CWinTrustVerifier real;
};

struct LaunchCase {
    const wchar_t* fixture;
    bool starts;
};

} // namespace

TEST(InstallerStart, StartsOnlyAVerifiedInstallerOfTheSamePublisher)
{
    CWinTrustVerifier trust;
    const std::wstring reference = updateFixture(L"installer-publisher.exe");
    ASSERT_FALSE(trust.signerSubject(reference).empty());
    EXPECT_NE(trust.signerSubject(reference), trust.signerSubject(updateFixture(L"installer-other.exe")));
    EXPECT_EQ(trust.signerSubject(updateFixture(L"installer-unsigned.exe")), L"");

    const LaunchCase cases[] = {{L"installer-unsigned.exe", false},
                                {L"installer-altered.exe", false},
                                {L"installer-other.exe", false},
                                {L"installer-publisher.exe", true}};
    for (const LaunchCase& c : cases) {
        CScratchFolder folder(L"installer");
        const std::wstring program = folder.path() + L"ChronelInstaller.exe";
        ASSERT_TRUE(CopyFileW(updateFixture(c.fixture).c_str(), program.c_str(), FALSE));
        CInstallerLauncher launcher(trust, reference);
        const auto outcome = launcher.start(L"\"" + program + L"\"", folder.path());
        if (c.starts) {
            EXPECT_EQ(outcome, CInstallerLauncher::Outcome::Started) << c.fixture;
            EXPECT_TRUE(fileExists(program));
            // The stand-in leaves its marker as it runs.
            for (int i = 0; i < 100 && !fileExists(program + L".started"); ++i)
                Sleep(50);
            EXPECT_TRUE(fileExists(program + L".started")) << c.fixture;
        } else {
            EXPECT_EQ(outcome, CInstallerLauncher::Outcome::Refused) << c.fixture;
            EXPECT_FALSE(fileExists(program)) << c.fixture << " must be deleted";
            Sleep(200);
            EXPECT_FALSE(fileExists(program + L".started")) << c.fixture;
        }
    }
}

TEST(InstallerStart, AnUnsignedProgramAcceptsAnyVerifiedPublisher)
{
    CWinTrustVerifier trust;
    CScratchFolder folder(L"installer any");
    const std::wstring program = folder.path() + L"ChronelInstaller.exe";
    ASSERT_TRUE(CopyFileW(updateFixture(L"installer-other.exe").c_str(), program.c_str(), FALSE));
    CInstallerLauncher launcher(trust, updateFixture(L"installer-unsigned.exe"));
    EXPECT_EQ(launcher.start(program, folder.path()), CInstallerLauncher::Outcome::Started);
}

TEST(InstallerStart, ARefusedChainStartsNothingAndDeletesTheFile)
{
    UntrustedRootTrust trust;
    CScratchFolder folder(L"installer chain");
    const std::wstring program = folder.path() + L"ChronelInstaller.exe";
    ASSERT_TRUE(CopyFileW(updateFixture(L"installer-publisher.exe").c_str(), program.c_str(), FALSE));
    CInstallerLauncher launcher(trust, updateFixture(L"installer-publisher.exe"));
    EXPECT_EQ(launcher.start(program, folder.path()), CInstallerLauncher::Outcome::Refused);
    EXPECT_FALSE(fileExists(program));
    EXPECT_EQ(launcher.start(program, folder.path()), CInstallerLauncher::Outcome::Missing);
}

TEST(InstallerStart, ExpandsEnvironmentVariablesInThePath)
{
    SetEnvironmentVariableW(L"VELMORA_INSTALLER_TEST", L"ChronelInstaller");
    EXPECT_EQ(CInstallerLauncher::cleanPath(L"\"C:\\x\\%VELMORA_INSTALLER_TEST%.exe\""), L"C:\\x\\ChronelInstaller.exe");
}
