// Chronel.exe itself under Wine: start-up, switches, single instance, uninstall messages,
// check-and-exit and the automation server, seen through the registry, windows and services
// it leaves.

#include "CChildProcess.h"
#include "CRegistryKey.h"
#include "CZoneList.h"
#include "CSuiteRegistryTest.h"
#include "ChronelSettings.h"
#include "ComPtr.h"
#include "RunEntry.h"
#include "ServiceProbe.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace {

constexpr wchar_t kMainClass[] = L"Afx:400000:1008";
constexpr wchar_t kMainTitle[] = L"MWOrvelIDE";
constexpr wchar_t kPageTitle[] = L"Orvel.Cofferix";
constexpr DWORD kStartMs = 15000;

// Another process's window comes together while we look: wait for what is expected.
template <typename Condition>
bool waitUntil(Condition done, DWORD ms = 5000)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms)
            return false;
        Sleep(10);
    }
    return true;
}

class ChronelProgramTest : public CSuiteRegistryTest {
protected:
    void SetUp() override
    {
        CSuiteRegistryTest::SetUp();
        // No check may go out to the Internet: the servers cannot be reached from here.
        settings::write(settings::kInternetCheck, 0);
        settings::write(settings::server(1), L"no-such-host.invalid");
    }
    void TearDown() override
    {
        EXPECT_TRUE(CChildProcess::allEndWithin(L"Chronel.exe", 2000)) << "a Chronel process outlived its test";
        testservice::remove(L"FileInfo");
        CSuiteRegistryTest::TearDown();
    }

    static std::wstring chronelPath() { return CChildProcess::besideTests(L"Chronel.exe"); }

    static bool readDword(const wchar_t* name, DWORD& value)
    {
        return CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readDword(name, value);
    }
    static bool readRunEntry(std::wstring& entry)
    {
        return CRegistryKey(HKEY_CURRENT_USER, kRunKeyPath).readString(kRunValueName, entry);
    }
    static bool serviceExists() { return testservice::exists(L"FileInfo"); }
    // Ends a running Chronel the way its tray menu does.
    static void exitChronel(CChildProcess& chronel, HWND main)
    {
        PostMessageW(main, 0x466 /* WM_APP_EXIT */, 0, 0);
        DWORD code = 99;
        EXPECT_TRUE(chronel.waitForExit(10000, &code));
        EXPECT_EQ(code, 0u);
    }
    // The page host shows up at the end of start-up or not at all.
    static bool pageOpens(CChildProcess& chronel)
    {
        return chronel.waitForWindow(kMainClass, kPageTitle, 1500) != nullptr;
    }
};

TEST_F(ChronelProgramTest, FirstRunOpensThePageAndRegistersEverything)
{
    CChildProcess chronel(L"Chronel.exe", L"");
    ASSERT_TRUE(chronel.started());
    HWND main = chronel.waitForWindow(kMainClass, kMainTitle, kStartMs);
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsWindowVisible(main));
    HWND page = chronel.waitForWindow(kMainClass, kPageTitle, 5000);
    ASSERT_NE(page, nullptr) << "the first run opens the main page";
    EXPECT_TRUE(waitUntil([page] { return IsWindowVisible(page) != FALSE; }));

    DWORD firstRun = 1, autocheck = 0;
    EXPECT_TRUE(readDword(settings::kFirstRun.name, firstRun));
    EXPECT_EQ(firstRun, 0u);
    EXPECT_TRUE(readDword(settings::kAutocheck.name, autocheck));
    EXPECT_EQ(autocheck, 1u);
    std::wstring run;
    ASSERT_TRUE(readRunEntry(run));
    EXPECT_EQ(run, L"\"" + chronelPath() + L"\"");
    EXPECT_TRUE(serviceExists()) << "the FileInfo driver service is installed while Chronel runs";
    std::wstring localServer;
    EXPECT_TRUE(CRegistryKey(HKEY_CLASSES_ROOT, L"CLSID\\{B99F7972-3AAC-401E-AADC-A404EE603FD4}\\LocalServer32")
                    .readString(L"", localServer));
    EXPECT_EQ(localServer, chronelPath());
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"MUTEX_ORVELIDE");
    EXPECT_NE(mutex, nullptr);
    if (mutex)
        CloseHandle(mutex);

    exitChronel(chronel, main);
    EXPECT_FALSE(serviceExists()) << "the service is removed at exit";
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, L"MUTEX_ORVELIDE"), nullptr);
}

TEST_F(ChronelProgramTest, RunEntryFollowsExitOnCheck)
{
    settings::write(settings::kFirstRun, 0);
    settings::write(settings::kExitOnCheck, 1);
    {
        CChildProcess chronel(L"Chronel.exe", L"");
        HWND main = chronel.waitForWindow(kMainClass, kMainTitle, kStartMs);
        ASSERT_NE(main, nullptr);
        std::wstring run;
        ASSERT_TRUE(readRunEntry(run));
        EXPECT_EQ(run, L"\"" + chronelPath() + L"\" noShow");
        EXPECT_FALSE(pageOpens(chronel)) << "not the first run";
        exitChronel(chronel, main);
    }
    settings::write(settings::kExitOnCheck, 0);
    CChildProcess chronel(L"Chronel.exe", L"");
    HWND main = chronel.waitForWindow(kMainClass, kMainTitle, kStartMs);
    ASSERT_NE(main, nullptr);
    std::wstring run;
    ASSERT_TRUE(readRunEntry(run));
    EXPECT_EQ(run, L"\"" + chronelPath() + L"\"");
    exitChronel(chronel, main);
}

// The trimmed command line is compared ignoring case; two words match no switch.
TEST_F(ChronelProgramTest, ShowSwitch)
{
    const struct {
        const wchar_t* arguments;
        bool pageOpens;
    } cases[] = {{L"  SHOW  ", true}, {L"show now", false}, {L"", false}};
    for (const auto& c : cases) {
        settings::write(settings::kFirstRun, 0);
        CChildProcess chronel(L"Chronel.exe", c.arguments);
        HWND main = chronel.waitForWindow(kMainClass, kMainTitle, kStartMs);
        ASSERT_NE(main, nullptr) << c.arguments;
        EXPECT_EQ(pageOpens(chronel), c.pageOpens) << "'" << c.arguments << "'";
        exitChronel(chronel, main);
    }
}

// A second start hands over to the running instance, which brings up its page, and ends.
TEST_F(ChronelProgramTest, SecondStartShowsTheRunningInstance)
{
    settings::write(settings::kFirstRun, 0);
    CChildProcess first(L"Chronel.exe", L"");
    HWND main = first.waitForWindow(kMainClass, kMainTitle, kStartMs);
    ASSERT_NE(main, nullptr);
    ASSERT_FALSE(pageOpens(first));

    CChildProcess second(L"Chronel.exe", L"");
    DWORD code = 99;
    ASSERT_TRUE(second.waitForExit(kStartMs, &code)) << "the second instance ends";
    EXPECT_EQ(second.waitForWindow(kMainClass, kMainTitle, 0), nullptr);
    EXPECT_NE(first.waitForWindow(kMainClass, kPageTitle, 5000), nullptr) << "the first shows its page";
    exitChronel(first, main);
}

// "remove" without the de-installation log says so and changes nothing.
TEST_F(ChronelProgramTest, RemoveWithoutTheLogShowsMessage104)
{
    CChildProcess chronel(L"Chronel.exe", L"remove");
    HWND box = chronel.waitForWindow(L"#32770", nullptr, kStartMs);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(waitUntil([box] { return !CChildProcess::dialogText(box).empty(); }));
    wchar_t caption[64] = {};
    GetWindowTextW(box, caption, 64);
    EXPECT_STREQ(caption, L"Orvel.Tempra");
    std::wstring folder = chronelPath();
    folder.resize(folder.find_last_of(L'\\'));
    EXPECT_NE(CChildProcess::dialogText(box).find(L"The product de-installation file is missing.  Expected to find: " +
                                                  folder + L"\\DeIsL1.isu"),
              std::wstring::npos)
        << CChildProcess::dialogText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(chronel.waitForExit(10000));
    DWORD firstRun = 0;
    EXPECT_FALSE(readDword(settings::kFirstRun.name, firstRun));
    std::wstring run;
    EXPECT_FALSE(readRunEntry(run));
    EXPECT_FALSE(serviceExists());
}

// With the log present but no uninstaller in the Windows folder, "uninstall" says where it
// looked.
TEST_F(ChronelProgramTest, UninstallWithoutTheUninstallerShowsMessage105)
{
    std::wstring folder = chronelPath();
    folder.resize(folder.find_last_of(L'\\'));
    const std::wstring log = folder + L"\\DeIsL1.isu";
    HANDLE file = CreateFileW(log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);

    CChildProcess chronel(L"Chronel.exe", L"uninstall");
    HWND box = chronel.waitForWindow(L"#32770", nullptr, kStartMs);
    const bool shown = box && waitUntil([box] { return !CChildProcess::dialogText(box).empty(); });
    const std::wstring text = shown ? CChildProcess::dialogText(box) : L"";
    if (box)
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    chronel.waitForExit(10000);
    DeleteFileW(log.c_str());
    ASSERT_TRUE(shown);
    EXPECT_NE(text.find(L"The InstallShield uninstall program could not be found.  Expected to find it at: " +
                        std::wstring(windows) + L"\\uninst.exe"),
              std::wstring::npos)
        << text;
}

// "noShow" checks once and ends; with no server answering, no window ever appears.
TEST_F(ChronelProgramTest, NoShowWithoutAServerEndsWithoutAWindow)
{
    CChildProcess chronel(L"Chronel.exe", L"noShow");
    bool windowSeen = false;
    const DWORD start = GetTickCount();
    while (chronel.running() && GetTickCount() - start < 30000) {
        for (const FoundWindow& w : chronel.windows())
            if (w.className == kMainClass)
                windowSeen = true;
        Sleep(10);
    }
    DWORD code = 99;
    ASSERT_TRUE(chronel.waitForExit(0, &code));
    EXPECT_FALSE(windowSeen);
    DWORD last = 0;
    EXPECT_FALSE(readDword(settings::kLastUpdate.name, last));
    DWORD firstRun = 0;
    EXPECT_FALSE(readDword(settings::kFirstRun.name, firstRun)) << "check-and-exit is no first run";
}

// Registration names the type library for the build's own platform, where a client of the
// same architecture finds it by its identifier.
TEST_F(ChronelProgramTest, RegServerRegistersTheTypeLibraryForItsPlatform)
{
    CChildProcess registration(L"Chronel.exe", L"RegServer");
    ASSERT_TRUE(registration.waitForExit(kStartMs));
    const std::wstring version = L"TypeLib\\{FF7084E8-6F8C-46D8-A8E7-9698E233D4F1}\\1.0\\0\\";
    const bool win64 = sizeof(void*) == 8;
    std::wstring path;
    EXPECT_TRUE(CRegistryKey(HKEY_CLASSES_ROOT, version + (win64 ? L"win64" : L"win32")).readString(L"", path));
    EXPECT_EQ(path, CChildProcess::besideTests(L"Chronel.tlb"));

    const GUID libid = {0xFF7084E8, 0x6F8C, 0x46D8, {0xA8, 0xE7, 0x96, 0x98, 0xE2, 0x33, 0xD4, 0xF1}};
    TComPtr<ITypeLib> library;
    ASSERT_EQ(LoadRegTypeLib(libid, 1, 0, 0, library.put()), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->syskind, win64 ? SYS_WIN64 : SYS_WIN32);
    library->ReleaseTLibAttr(attributes);
}

// The program's version resource, as GetFileVersionInfo reads it.
TEST_F(ChronelProgramTest, CarriesItsVersionResource)
{
    const std::wstring path = chronelPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << GetLastError();
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1u);
    wchar_t* name = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\OriginalFilename",
                               reinterpret_cast<void**>(&name), &length));
    EXPECT_STREQ(name, L"Chronel.exe");
}

// A script client creates the automation object: COM starts Chronel as a local server, the
// script reads and writes settings through the dispatch names, and the server ends a few
// seconds after the client.
TEST_F(ChronelProgramTest, ScriptClientDrivesTheAutomationServer)
{
    CChildProcess registration(L"Chronel.exe", L"RegServer");
    ASSERT_TRUE(registration.waitForExit(kStartMs));
    EXPECT_TRUE(registration.windows().empty());

    const CZoneList zones;
    for (long k = 1; k <= 3; ++k)
        ASSERT_TRUE(zones.save(k, true, L"Zone " + std::to_wstring(k), ZoneRecord{uint32_t(k), 1, 0, 1}));

    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring script = std::wstring(folder) + L"chronel_client.js";
    {
        std::ofstream out(script.c_str());
        out << "var o = new ActiveXObject('Chronel.ChronelProxyObj');\n"
               "o.SetServer(2, 'ntp.example.org');\n"
               "WScript.Echo('server2=' + o.GetServer(2));\n"
               "o.SetHours(6);\n"
               "WScript.Echo('hours=' + o.GetHours());\n"
               "var six = o.GetServer(6);\n"
               "WScript.Echo('server6=[' + six + ']');\n"
               "o.SetExitOnCheck(1);\n"
               "WScript.Echo('next=' + o.GetNextCheckText());\n"
               "WScript.Echo('internet=' + o.GetInternetCheck());\n"
               "WScript.Echo('zones=' + o.GetZoneCount());\n"
               "o.DeleteZone(1);\n"
               "WScript.Echo('moved=' + o.MoveZone(2, -1));\n"
               "WScript.Echo('first=' + o.GetZoneName(1));\n"
               "WScript.Echo('edge=' + o.MoveZone(1, -1));\n"
               "WScript.Echo('revision=' + o.GetRevision(0));\n"
               "WScript.Echo('home=[' + o.GetHomeZoneName() + ']');\n"
               "try { o.GetServer('x'); } catch (e) { WScript.Echo('bad=' + (e.number >>> 0).toString(16)); }\n";
    }
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    DWORD code = 99;
    const std::wstring output = CChildProcess::runCapturing(std::wstring(system) + L"\\cscript.exe",
                                                            L"//nologo \"" + script + L"\"", 60000, &code);
    DeleteFileW(script.c_str());
    EXPECT_TRUE(CChildProcess::allEndWithin(L"Chronel.exe", 20000)) << "the server outlived its client";
    EXPECT_EQ(code, 0u) << output;
    EXPECT_NE(output.find(L"server2=ntp.example.org"), std::wstring::npos) << output;
    EXPECT_NE(output.find(L"hours=6"), std::wstring::npos) << output;
    EXPECT_NE(output.find(L"server6=[]"), std::wstring::npos) << output;
    EXPECT_NE(output.find(L"next=On next application start"), std::wstring::npos) << output;
    EXPECT_NE(output.find(L"internet=0"), std::wstring::npos) << output;
    // The zone list: 3 zones, the first deleted, the (new) second moved up.
    EXPECT_NE(output.find(L"zones=3"), std::wstring::npos) << output;
    EXPECT_NE(output.find(L"moved=1"), std::wstring::npos) << output;
    EXPECT_NE(output.find(L"first=Zone 3"), std::wstring::npos) << output;
    EXPECT_NE(output.find(L"edge=0"), std::wstring::npos) << output;
    EXPECT_NE(output.find(L"revision=2"), std::wstring::npos) << output;
    EXPECT_EQ(output.find(L"home=[]"), std::wstring::npos) << output;
    EXPECT_EQ(zones.count(), 2);
    EXPECT_NE(output.find(L"bad="), std::wstring::npos) << output;

    std::wstring server2;
    EXPECT_TRUE(CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readString(L"Server2", server2));
    EXPECT_EQ(server2, L"ntp.example.org");
    DWORD hours = 0;
    EXPECT_TRUE(readDword(settings::kHours.name, hours));
    EXPECT_EQ(hours, 6u);
    std::wstring run;
    EXPECT_TRUE(readRunEntry(run));
    EXPECT_NE(run.find(L"noShow"), std::wstring::npos);
}

} // namespace
