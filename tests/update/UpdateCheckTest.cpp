// The update check against the loopback HTTP server: the manifest's sections, the splash and
// the update downloads, and what the server sees.
#include "CMessageWindow.h"
#include "CModule.h"
#include "CScratchFolder.h"
#include "CUpdateCheck.h"
#include "CWinTrustVerifier.h"
#include "ChronelSettings.h"
#include "UpdateFixture.h"
#include "UpdateSettings.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

constexpr wchar_t kTitle[] = L"Orvel.Cofferix";
constexpr wchar_t kManifest[] = L"updates\\Orvel.Cofferix_Update.xml";
constexpr wchar_t kAccept[] = L"application/*, text/*, image/*, */*";

std::wstring enciphered(const wchar_t* name)
{
    std::wstring text;
    return updatesettings::readEnciphered(name, text) ? text : L"<missing>";
}

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

} // namespace

class UpdateCheckTest : public CUpdateTest {
protected:
    void SetUp() override
    {
        CUpdateTest::SetUp();
        ASSERT_TRUE(served.available());
        writeSetting(settings::kRootPath, updatesettings::kUpdateServer, served.url());
        check.setTitle(kTitle);
        check.setProgram(updateFixture(L"installer-publisher.exe"));
    }
    size_t manifestRequests() const
    {
        size_t n = 0;
        for (const auto& r : served.requests())
            n += r.path == served.urlPath() + "/updates/Orvel.Cofferix_Update.xml";
        return n;
    }

    CServedFolder served{L"update"};
    CWinTrustVerifier trust;
    CUpdateCheck check{trust};
};

TEST_F(UpdateCheckTest, ManifestRequestCarriesTheAgentPathAndAcceptTypes)
{
    ASSERT_TRUE(served.writeManifest(kManifest, L"<AppID>Chronel</AppID>"));
    check.run();
    const auto requests = served.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, served.urlPath() + "/updates/Orvel.Cofferix_Update.xml");
    EXPECT_EQ(requests[0].agent, "eInstaller");
    EXPECT_EQ(requests[0].accept, narrow(kAccept));
}

TEST_F(UpdateCheckTest, WithoutAppFeaturesTheNextCheckFetchesAgain)
{
    ASSERT_TRUE(served.writeManifest(kManifest, L"<AppID>Chronel</AppID>"));
    check.run();
    EXPECT_EQ(enciphered(updatesettings::kNextCheck), L"<missing>");
    check.run();
    EXPECT_EQ(manifestRequests(), 2u);
}

TEST_F(UpdateCheckTest, CheckBackPeriodDecidesWhenTheNextCheckIsMade)
{
    // A period in the past: stored, and the next check is due at once.
    ASSERT_TRUE(served.writeManifest(kManifest, L"<AppFeatures><AboutText>Hello %s</AboutText>"
                                                L"<MoreInfoURL>http://example.test/</MoreInfoURL>"
                                                L"<CheckBackPeriod>2003,1,15,0,0,0</CheckBackPeriod></AppFeatures>"));
    check.run();
    EXPECT_EQ(enciphered(updatesettings::kNextCheck), std::to_wstring(CUpdateCheck::localToSeconds(2003, 1, 15, 0, 0, 0)));
    EXPECT_EQ(enciphered(updatesettings::kAboutText), L"Hello %s");
    EXPECT_EQ(enciphered(updatesettings::kMoreInfoUrl), L"http://example.test/");
    EXPECT_TRUE(CUpdateCheck::due(std::time(nullptr)));

    // An invalid date gives -1: due at once as well.
    ASSERT_TRUE(served.writeManifest(kManifest, L"<AppFeatures><CheckBackPeriod>2003,2,30</CheckBackPeriod></AppFeatures>"));
    check.run();
    EXPECT_EQ(enciphered(updatesettings::kNextCheck), L"-1");
    // An empty About text leaves the stored one; the link is written even when empty.
    EXPECT_EQ(enciphered(updatesettings::kAboutText), L"Hello %s");
    EXPECT_EQ(enciphered(updatesettings::kMoreInfoUrl), L"");

    // A period in the future: no check until then.
    ASSERT_TRUE(served.writeManifest(kManifest, L"<AppFeatures><CheckBackPeriod>2099,12,31,23,0,0</CheckBackPeriod></AppFeatures>"));
    check.run();
    EXPECT_FALSE(CUpdateCheck::due(std::time(nullptr)));
    check.run();
    EXPECT_EQ(manifestRequests(), 3u);
}

TEST_F(UpdateCheckTest, TheSameServerListVersionIsAppliedOnce)
{
    const std::wstring manifest = L"<TimeServers><Version>7</Version>"
                                  L"<TimeServer1><Name>time.example.test</Name><IP>192.0.2.1</IP></TimeServer1>"
                                  L"<TimeServer3><Name>ntp3.example.test</Name></TimeServer3></TimeServers>";
    check.process(manifest);
    EXPECT_EQ(readSetting(settings::kRootPath, L"Server1"), L"time.example.test");
    EXPECT_EQ(readSetting(settings::kRootPath, L"Server1_IP"), L"192.0.2.1");
    EXPECT_EQ(readSetting(settings::kRootPath, L"Server3"), L"ntp3.example.test");
    EXPECT_EQ(readSetting(settings::kRootPath, L"Server3_IP"), L"");
    EXPECT_EQ(enciphered(updatesettings::kServerListVersion), L"7");

    writeSetting(settings::kRootPath, L"Server1", L"mine.example.test");
    check.process(manifest);
    EXPECT_EQ(readSetting(settings::kRootPath, L"Server1"), L"mine.example.test");

    check.process(L"<TimeServers><Version>8</Version></TimeServers>");
    EXPECT_EQ(readSetting(settings::kRootPath, L"Server1"), L"");
}

TEST_F(UpdateCheckTest, AnOversizedOrMissingManifestEndsTheCheckQuietly)
{
    // Over 1 MiB, with a section at its start that must not be applied.
    std::wstring big = L"<AppFeatures><CheckBackPeriod>2003,1,15</CheckBackPeriod></AppFeatures>";
    big.append(600 * 1024, L'x');
    ASSERT_TRUE(served.writeManifest(kManifest, big));
    check.run();
    EXPECT_EQ(enciphered(updatesettings::kNextCheck), L"<missing>");

    // A body that ends in the middle of a character is read up to its last whole one.
    std::vector<BYTE> odd;
    for (wchar_t c : std::wstring(L"<AppFeatures><CheckBackPeriod>2003,1,15</CheckBackPeriod></AppFeatures>"))
        odd.insert(odd.end(), {static_cast<BYTE>(c), 0});
    odd.push_back('<');
    ASSERT_TRUE(served.write(kManifest, odd));
    check.run();
    EXPECT_EQ(enciphered(updatesettings::kNextCheck), std::to_wstring(CUpdateCheck::localToSeconds(2003, 1, 15, 0, 0, 0)));

    // No manifest at all: the server's error page is not taken for one.
    updatesettings::writeEnciphered(updatesettings::kNextCheck, L"0");
    ASSERT_TRUE(DeleteFileW((served.folder() + kManifest).c_str()));
    check.run();
    EXPECT_EQ(enciphered(updatesettings::kNextCheck), L"0");
}

TEST_F(UpdateCheckTest, AnUnreachableServerEndsTheCheckQuietly)
{
    writeSetting(settings::kRootPath, updatesettings::kUpdateServer, L"http://127.0.0.1:1");
    check.run();
    EXPECT_EQ(enciphered(updatesettings::kNextCheck), L"<missing>");
    writeSetting(settings::kRootPath, updatesettings::kUpdateServer, L"ftp://127.0.0.1/");
    check.run();
    EXPECT_TRUE(served.requests().empty());
}

TEST_F(UpdateCheckTest, ACompressedSplashIsExtractedIntoTheRootFolder)
{
    CScratchFolder root(L"splash root");
    writeSetting(settings::kRootPath, updatesettings::kRoot, root.path());
    ASSERT_TRUE(served.copyIn(updateFixture(L"splash.cab"), L"splash.cab"));
    CMessageWindow window;
    check.setMainWindow(window.hwnd());
    check.process(L"<SplashBMP><UpdateRequired>Yes</UpdateRequired><FileName>splash.cab</FileName>"
                  L"<DownloadFile>splash.cab</DownloadFile><DownloadFileRoot>" + served.url().substr(7) +
                  L"</DownloadFileRoot><Compressed>Yes</Compressed></SplashBMP>");
    const std::wstring bitmap = root.path() + L"Splash.bmp";
    ASSERT_TRUE(fileExists(bitmap));
    EXPECT_FALSE(fileExists(root.path() + L"splash.cab"));
    const SYSTEMTIME stamp = localWriteTime(bitmap);
    EXPECT_EQ(stamp.wYear, 2021);
    EXPECT_EQ(stamp.wHour, 5);
    EXPECT_EQ(stamp.wSecond, 8);
    EXPECT_EQ(GetFileAttributesW(bitmap.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE),
              DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    SetFileAttributesW(bitmap.c_str(), FILE_ATTRIBUTE_NORMAL);

    const auto requests = served.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, served.urlPath() + "/splash.cab");
    EXPECT_EQ(requests[0].agent, "Orvel.Tempra");
    EXPECT_EQ(requests[0].accept, narrow(kAccept));
    CMessageWindow::pumpFor(100);
    EXPECT_EQ(window.count(WM_DOWNLOAD_FINISHED), 1u);
    EXPECT_FALSE(window.messagesOf(WM_DOWNLOAD_PROGRESS).empty());
    for (const auto& progress : window.messagesOf(WM_DOWNLOAD_PROGRESS))
        EXPECT_LE(progress.wParam, 100u);
}

TEST_F(UpdateCheckTest, SplashAndUpdateNamesThatLeaveTheirFolderAreRefused)
{
    CScratchFolder outer(L"splash outer");
    ASSERT_TRUE(outer.createFolder(L"root"));
    writeSetting(settings::kRootPath, updatesettings::kRoot, outer.path() + L"root");
    ASSERT_TRUE(served.copyIn(updateFixture(L"splash.cab"), L"splash.cab"));
    for (const wchar_t* name : {L"..\\escaped.bmp", L"C:\\escaped.bmp", L"\\escaped.bmp"}) {
        check.process(L"<SplashBMP><UpdateRequired>Yes</UpdateRequired><FileName>" + std::wstring(name) +
                      L"</FileName><DownloadFile>splash.cab</DownloadFile><DownloadFileRoot>" + served.url() +
                      L"</DownloadFileRoot></SplashBMP>");
    }
    EXPECT_TRUE(served.requests().empty());
    EXPECT_FALSE(fileExists(outer.path() + L"escaped.bmp"));
    EXPECT_FALSE(fileExists(L"C:\\escaped.bmp"));

    // The update's download name decides its local file in the Windows "Temp" folder.
    writeSetting(updatesettings::kInstallPath, updatesettings::kRoot, CModule::folder());
    writeSetting(updatesettings::kInstallPath, updatesettings::kApp, L"VersionProbe2053.dll");
    CMessageWindow window;
    window.answer(WM_UPDATE_OFFER, IDOK);
    check.setMainWindow(window.hwnd());
    check.process(L"<AppUpdate><MinVersion>2.1</MinVersion><DownloadFile>..\\..\\escaped.exe</DownloadFile>"
                  L"<DownloadFileRoot>" + served.url() + L"</DownloadFileRoot></AppUpdate>");
    EXPECT_TRUE(served.requests().empty());
}

class UpdateOfferTest : public UpdateCheckTest {
protected:
    void installed(const wchar_t* file)
    {
        writeSetting(updatesettings::kInstallPath, updatesettings::kRoot, CModule::folder());
        writeSetting(updatesettings::kInstallPath, updatesettings::kApp, file);
    }
    std::wstring update(const wchar_t* file, bool compressed) const
    {
        return L"<AppUpdate><MinVersion>2.1</MinVersion><FileName>Chronel.exe</FileName><DownloadFile>" +
               std::wstring(file) + L"</DownloadFile><DownloadFileRoot>" + served.url() +
               L"</DownloadFileRoot><Compressed>" + (compressed ? L"Yes" : L"No") + L"</Compressed></AppUpdate>";
    }
    void TearDown() override
    {
        const std::wstring folder = CUpdateCheck::downloadFolder();
        for (const wchar_t* name : {L"ChronelInstaller.exe", L"ChronelInstaller.exe.started", L"readme.txt", L"update.cab"}) {
            SetFileAttributesW((folder + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW((folder + L"\\" + name).c_str());
        }
        UpdateCheckTest::TearDown();
    }
};

TEST_F(UpdateOfferTest, MinVersionOffersTheUpdateOnlyToOlderPrograms)
{
    CMessageWindow window;
    window.answer(WM_UPDATE_OFFER, IDCANCEL);
    check.setMainWindow(window.hwnd());
    installed(L"VersionProbe2053.dll");
    check.process(update(L"update.cab", true));
    EXPECT_EQ(window.count(WM_UPDATE_OFFER), 1u);
    installed(L"VersionProbe2100.dll");
    check.process(update(L"update.cab", true));
    EXPECT_EQ(window.count(WM_UPDATE_OFFER), 1u);
    // Cancel: nothing fetched, "app" untouched.
    EXPECT_TRUE(served.requests().empty());
    EXPECT_EQ(readSetting(settings::kRootPath, updatesettings::kApp), L"");
    // A program without a version resource is never offered anything.
    installed(L"update-fixtures\\installer-unsigned.exe");
    check.process(update(L"update.cab", true));
    EXPECT_EQ(window.count(WM_UPDATE_OFFER), 1u);
}

TEST_F(UpdateOfferTest, AnAcceptedCompressedUpdateIsExtractedCheckedAndStarted)
{
    ASSERT_TRUE(served.copyIn(updateFixture(L"update.cab"), L"update.cab"));
    CMessageWindow window;
    window.answer(WM_UPDATE_OFFER, IDOK);
    check.setMainWindow(window.hwnd());
    installed(L"VersionProbe2053.dll");
    check.process(update(L"update.cab", true));

    const std::wstring folder = CUpdateCheck::downloadFolder();
    EXPECT_EQ(readSetting(settings::kRootPath, updatesettings::kApp), L"Chronel.exe");
    EXPECT_FALSE(fileExists(folder + L"\\update.cab"));
    EXPECT_EQ(localWriteTime(folder + L"\\readme.txt").wYear, 2021);
    EXPECT_TRUE(CMessageWindow::pumpUntil([&] { return window.count(WM_APP_EXIT) == 1; }, 5000));
    EXPECT_TRUE(fileExists(folder + L"\\ChronelInstaller.exe.started"));
    EXPECT_EQ(window.count(WM_DOWNLOAD_FINISHED), 1u);
    const auto requests = served.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, served.urlPath() + "/update.cab");
    EXPECT_EQ(requests[0].agent, "Orvel.Tempra");
}

TEST_F(UpdateOfferTest, AnInstallerOfAnotherPublisherIsDeletedAndNothingStarts)
{
    ASSERT_TRUE(served.copyIn(updateFixture(L"installer-other.exe"), L"ChronelInstaller.exe"));
    CMessageWindow window;
    window.answer(WM_UPDATE_OFFER, IDOK);
    check.setMainWindow(window.hwnd());
    installed(L"VersionProbe2053.dll");
    check.process(update(L"ChronelInstaller.exe", false));
    const std::wstring folder = CUpdateCheck::downloadFolder();
    EXPECT_FALSE(fileExists(folder + L"\\ChronelInstaller.exe"));
    CMessageWindow::pumpFor(500);
    EXPECT_EQ(window.count(WM_APP_EXIT), 0u);
    EXPECT_FALSE(fileExists(folder + L"\\ChronelInstaller.exe.started"));
    EXPECT_EQ(served.requests().size(), 1u);
}
