// The manifest's text search, the checks on names that come from the server, version numbers
// and the About text: pure functions, no server needed.
#include "AboutText.h"
#include "CSuiteRegistryTest.h"
#include "CUpdateCheck.h"
#include "FileVersion.h"
#include "ITrustVerifier.h"
#include "ManifestText.h"
#include "SafePath.h"
#include "UpdateFixture.h"
#include "UpdateSettings.h"

#include <gtest/gtest.h>

#include <random>

TEST(ManifestElement, FindsTheTextBetweenTheFirstTagsOrNothing)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* name;
        const wchar_t* value;
    } cases[] = {
        {L"<AppID>Chronel</AppID>", L"AppID", L"Chronel"},
        {L"<A>\r\n\t  two words \r\n</A>", L"A", L"two words"},
        {L"<A>first</A><A>second</A>", L"A", L"first"},
        // The first closing tag anywhere counts, even one inside a later element.
        {L"<A>x<B>y</B></A>", L"B", L"y"},
        {L"<A>no end", L"A", L""},
        {L"no start</A>", L"A", L""},
        {L"</A><A>after", L"A", L""},
        // A blank before the closing bracket is another tag.
        {L"<A >spaced</A>", L"A", L""},
        {L"<a>lower</a>", L"A", L""},
        {L"<A></A>", L"A", L""},
        {L"<AppFeatures><AboutText>t</AboutText></AppFeatures>", L"AppFeatures", L"<AboutText>t</AboutText>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(manifest::element(c.text, c.name), c.value) << c.text;
}

TEST(ManifestElement, DecodesUtf16LittleEndianAndDropsAHalfCharacter)
{
    EXPECT_EQ(manifest::decode({'<', 0, 'A', 0, '>', 0}), L"<A>");
    EXPECT_EQ(manifest::decode({0xFF, 0xFE, 'x', 0, 'y'}), L"x");
    EXPECT_EQ(manifest::decode({'z'}), L"");
    EXPECT_EQ(manifest::decode({0xAC, 0x20}), L"\x20AC");
    EXPECT_TRUE(manifest::isYes(L"Yes"));
    EXPECT_TRUE(manifest::isYes(L"Yes please"));
    EXPECT_FALSE(manifest::isYes(L"yes"));
    EXPECT_FALSE(manifest::isYes(L"Ye"));
}

TEST(SafePath, AcceptsOnlyNamesThatStayInsideTheirFolder)
{
    const wchar_t* safe[] = {L"Splash.bmp", L"sub\\file.txt", L"sub/file.txt", L"a..b.txt", L"ChronelInstaller.exe"};
    const wchar_t* unsafe[] = {L"", L"..\\evil.txt", L"sub\\..\\..\\evil.txt", L"../evil", L"..", L".",
                               L"C:\\evil.txt", L"C:evil.txt", L"\\evil.txt", L"/evil.txt", L"\\\\server\\share\\x",
                               L"file.txt:stream", L"a<b", L"a|b", L"a?b", L"a*b", L"a\"b", L"a\tb", L"dir\\\\x",
                               L"trailing.", L"trailing ", L"CON", L"nul.txt", L"sub\\COM1", L"lpt9.log"};
    for (const wchar_t* name : safe)
        EXPECT_TRUE(safepath::isSafeRelative(name)) << name;
    for (const wchar_t* name : unsafe)
        EXPECT_FALSE(safepath::isSafeRelative(name)) << name;
    EXPECT_EQ(safepath::inside(L"C:\\Temp", L"sub/x.cab"), L"C:\\Temp\\sub\\x.cab");
    EXPECT_EQ(safepath::inside(L"C:\\Temp\\", L"..\\x.cab"), L"");
}

TEST(FileVersionNumbers, SplitsVersionTextsAndMinimumVersions)
{
    EXPECT_EQ(fileversion::split(L"2.0.5.3"), (std::vector<unsigned>{2, 0, 5, 3}));
    EXPECT_EQ(fileversion::split(L"2, 1, 0, 0"), (std::vector<unsigned>{2, 1, 0, 0}));
    EXPECT_EQ(fileversion::split(L""), std::vector<unsigned>{});
    EXPECT_EQ(fileversion::majorMinor(L"2.1"), std::make_pair(2u, 1u));
    EXPECT_EQ(fileversion::majorMinor(L"3"), std::make_pair(3u, 0u));
    EXPECT_EQ(fileversion::majorMinor(L""), std::make_pair(0u, 0u));
}

TEST(FileVersionNumbers, ReadsTheVersionResourceOfAFile)
{
    EXPECT_EQ(fileversion::numbers(besideTests(L"VersionProbe2053.dll")), (std::vector<unsigned>{2, 0, 5, 3}));
    EXPECT_EQ(fileversion::numbers(besideTests(L"VersionProbe2100.dll")), (std::vector<unsigned>{2, 1, 0, 0}));
    // The stand-in installer has no version resource; a missing file has none either.
    EXPECT_FALSE(fileversion::numbers(updateFixture(L"installer-unsigned.exe")).has_value());
    EXPECT_FALSE(fileversion::numbers(besideTests(L"no such file.dll")).has_value());
}

TEST(CheckBackPeriod, ConvertsLocalTimesAndRejectsInvalidDates)
{
    // 15 January 2003, 00:00 local time.
    SYSTEMTIME local{2003, 1, 0, 15, 0, 0, 0, 0}, utc{};
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    FILETIME file{};
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &file));
    const long long expected =
        static_cast<long long>((static_cast<unsigned long long>(file.dwHighDateTime) << 32) | file.dwLowDateTime) /
            10000000LL -
        11644473600LL;
    EXPECT_EQ(CUpdateCheck::localToSeconds(2003, 1, 15, 0, 0, 0), expected);
    EXPECT_EQ(CUpdateCheck::localToSeconds(2003, 2, 29, 0, 0, 0), -1);
    EXPECT_EQ(CUpdateCheck::localToSeconds(2003, 13, 1, 0, 0, 0), -1);
    EXPECT_EQ(CUpdateCheck::localToSeconds(2003, 1, 1, 24, 0, 0), -1);
    EXPECT_EQ(CUpdateCheck::localToSeconds(0, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(CUpdateCheck::localToSeconds(-5, 1, 1, 0, 0, 0), -1);
    EXPECT_GT(CUpdateCheck::localToSeconds(2004, 2, 29, 23, 59, 59), expected);
}

class AboutTextTest : public CSuiteRegistryTest {};

TEST_F(AboutTextTest, UsesTheStoredTextsOrTheDefaults)
{
    EXPECT_EQ(abouttext::html(L"Chronel"),
              L"[]<br><a target=\"_blank\" href=\"http://www.orvelsoftware.com/velmora/\">More Information</a>");
    ASSERT_TRUE(updatesettings::writeEnciphered(updatesettings::kAboutText, L"About %s\\r\\nline two\r\nthree %s"));
    ASSERT_TRUE(updatesettings::writeEnciphered(updatesettings::kMoreInfoUrl, L"http://example.test/more"));
    EXPECT_EQ(abouttext::html(L"Chronel"), L"About Chronel<br>line two<br>three Chronel<br>"
                                           L"<a target=\"_blank\" href=\"http://example.test/more\">More Information</a>");
    // A stored empty link stays empty; one that would end the attribute is not used.
    ASSERT_TRUE(updatesettings::writeEnciphered(updatesettings::kMoreInfoUrl, L""));
    EXPECT_NE(abouttext::html(L"x").find(L"href=\"\""), std::wstring::npos);
    ASSERT_TRUE(updatesettings::writeEnciphered(updatesettings::kMoreInfoUrl, L"http://x\" onclick=\"alert(1)"));
    EXPECT_EQ(abouttext::html(L"x").find(L"onclick"), std::wstring::npos);
    ASSERT_TRUE(updatesettings::writeEnciphered(updatesettings::kMoreInfoUrl, L"javascript:alert(1)"));
    EXPECT_EQ(abouttext::html(L"x").find(L"javascript"), std::wstring::npos);
}

namespace {

class RefusingTrust : public ITrustVerifier {
public:
    LONG verify(const std::wstring&, HANDLE) override { return TRUST_E_NOSIGNATURE; }
    std::wstring signerSubject(const std::wstring&) override { return {}; }
};

} // namespace

class ManifestFuzzTest : public CSuiteRegistryTest {};

// Random and mutated manifests through the element search and every section: nothing may
// crash or read past the text. No "root" and no window: nothing is fetched or offered.
TEST_F(ManifestFuzzTest, RandomAndMutatedManifestsAreHandled)
{
    const std::wstring base =
        L"<AppID>x</AppID><SplashBMP><UpdateRequired>Yes</UpdateRequired><FileName>s.bmp</FileName>"
        L"<DownloadFile>s.bmp</DownloadFile><DownloadFileRoot>127.0.0.1:1</DownloadFileRoot></SplashBMP>"
        L"<AppFeatures><AboutText>a</AboutText><MoreInfoURL>http://m</MoreInfoURL>"
        L"<CheckBackPeriod>2003,1,15,0,0,0</CheckBackPeriod></AppFeatures>"
        L"<TimeServers><Version>1</Version><TimeServer1><Name>n</Name><IP>1.2.3.4</IP></TimeServer1></TimeServers>"
        L"<AppUpdate><MinVersion>9.9</MinVersion><FileName>f</FileName><DownloadFile>d</DownloadFile></AppUpdate>";
    const wchar_t alphabet[] = L"<>/ ,.AppIDSplashBMPTimeServer12Version\r\n\x20AC\xD800";
    std::mt19937 random(20261210);
    RefusingTrust trust;
    CUpdateCheck check(trust);
    check.setTitle(L"Fuzz");
    for (int round = 0; round < 3000; ++round) {
        std::wstring text = base;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const size_t at = random() % text.size();
            switch (random() % 4) {
            case 0: text.erase(at, 1 + random() % 12); break;
            case 1: text.insert(at, 1, alphabet[random() % (sizeof(alphabet) / sizeof(wchar_t) - 1)]); break;
            case 2: text[at] = static_cast<wchar_t>(random() % 0x10000); break;
            default: text = text.substr(0, at); break;
            }
        }
        if (round % 10 == 0) {
            text.clear();
            for (size_t n = random() % 400; n > 0; --n)
                text += alphabet[random() % (sizeof(alphabet) / sizeof(wchar_t) - 1)];
        }
        check.process(text);
        manifest::element(text, L"TimeServer1");
        std::vector<BYTE> bytes(text.size() * 2 + (round & 1));
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<BYTE>(random());
        EXPECT_LE(manifest::decode(bytes).size(), bytes.size() / 2);
    }
    // The sections were applied as far as they survived; the settings still read back.
    std::wstring next;
    EXPECT_TRUE(updatesettings::readEnciphered(updatesettings::kNextCheck, next));
}
