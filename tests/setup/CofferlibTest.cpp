// Cofferlib loaded by a test program the way a setup program loads it, from a folder of its
// own, with Cofferprep (or a probe standing in for it) beside it.

#include "CMessageBoxCapture.h"
#include "ProcAddress.h"
#include "CScratchFolder.h"
#include "CSetupMachineTest.h"
#include "CTestProcess.h"
#include "RegistryProbe.h"
#include "SetupTestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace setuptest;

namespace {

using InstallDriversFn = int(WINAPI*)();

std::vector<std::string> readLines(const std::wstring& path)
{
    std::ifstream file(std::string(path.begin(), path.end()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Records whether a message posted to this thread was dispatched while InstallDrivers ran.
bool g_insideCall = false;
int g_dispatchedInside = 0;

LRESULT CALLBACK callerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP && g_insideCall)
        ++g_dispatchedInside;
    return DefWindowProcW(window, message, wParam, lParam);
}

class CofferlibTest : public CSetupMachineTest {
protected:
    void SetUp() override
    {
        CSetupMachineTest::SetUp();
        ASSERT_FALSE(m_libraryFolder.path().empty());
        ASSERT_TRUE(m_libraryFolder.copyIn(testprocess::binFolder() + L"Cofferlib.dll", L"Cofferlib.dll"));
        m_library = LoadLibraryW((m_libraryFolder.path() + L"Cofferlib.dll").c_str());
        ASSERT_TRUE(m_library);
        m_installDrivers = procAddress<InstallDriversFn>(m_library, "InstallDrivers");
        ASSERT_TRUE(m_installDrivers) << "InstallDrivers is not exported by name";
    }

    void TearDown() override
    {
        if (m_library)
            FreeLibrary(m_library);
        CSetupMachineTest::TearDown();
    }

    // Calls InstallDrivers with a message waiting for a window of this thread.
    int installDrivers()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = callerWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VelmoraSetupCaller";
        RegisterClassW(&windowClass);
        HWND window = CreateWindowW(L"VelmoraSetupCaller", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        PostMessageW(window, WM_APP, 0, 0);
        g_insideCall = true;
        g_dispatchedInside = 0;
        int result = m_installDrivers();
        g_insideCall = false;
        DestroyWindow(window);
        return result;
    }

    CScratchFolder m_libraryFolder{L"Cofferlib"};
    HMODULE m_library = nullptr;
    InstallDriversFn m_installDrivers = nullptr;
};

// With the real Cofferprep (no drivers: each run shows the failure message, which is captured
// and answered): every call starts it once and returns only when that run has ended, having
// dispatched the caller's messages meanwhile.
TEST_F(CofferlibTest, EachCallStartsCofferprepOnceAndReturnsAfterThatRun)
{
    ASSERT_TRUE(m_libraryFolder.copyIn(testprocess::binFolder() + L"cofferprep_capture.exe", L"Cofferprep.exe"));
    const std::wstring log = m_libraryFolder.path() + L"boxes.txt";
    testprocess::CEnvironmentVariable capture(L"VELMORA_MSGBOX_LOG", log.c_str());
    testreg::put(HKEY_LOCAL_MACHINE, kPolicyKey, kDontSearch, testreg::dword(0));

    for (size_t call = 1; call <= 2; ++call) {
        SCOPED_TRACE(call);
        EXPECT_EQ(installDrivers(), 0);
        std::vector<CapturedBox> boxes = CMessageBoxCapture::readLog(log);
        ASSERT_EQ(boxes.size(), call) << "one run of Cofferprep per call";
        EXPECT_EQ(boxes.back().text, kFailureText);
        // Put back by Cofferprep after its message, just before it signals.
        EXPECT_EQ(testreg::get(HKEY_LOCAL_MACHINE, kPolicyKey, kDontSearch), testreg::dword(0));
        EXPECT_EQ(g_dispatchedInside, 1) << "the caller's message was not dispatched during the wait";
    }
}

// Cofferprep is found beside the library, not in the caller's current folder (which holds a
// decoy); it is started without arguments, with the busy-cursor feedback, in the caller's
// folder and environment.
TEST_F(CofferlibTest, FindsCofferprepBesideTheLibraryFromAnotherFolder)
{
    CScratchFolder callerFolder(L"Caller");
    ASSERT_TRUE(m_libraryFolder.copyIn(testprocess::binFolder() + L"launch_probe.exe", L"Cofferprep.exe"));
    ASSERT_TRUE(callerFolder.copyIn(testprocess::binFolder() + L"launch_probe.exe", L"Cofferprep.exe"));
    const std::wstring log = m_libraryFolder.path() + L"starts.txt";
    testprocess::CEnvironmentVariable probeLog(L"VELMORA_PROBE_LOG", log.c_str());
    testprocess::CEnvironmentVariable probeSignal(L"VELMORA_PROBE_SIGNAL", L"CofferixInstallDrivers");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(callerFolder.path().c_str()));

    int result = installDrivers();
    SetCurrentDirectoryW(previous);

    EXPECT_EQ(result, 0);
    std::vector<std::string> lines = readLines(log);
    ASSERT_EQ(lines.size(), 1u);
    std::istringstream fields(lines[0]);
    std::string feedback, commandLine, currentFolder;
    std::getline(fields, feedback, '\t');
    std::getline(fields, commandLine, '\t');
    std::getline(fields, currentFolder);
    EXPECT_EQ(feedback, "feedback");
    // With no command line of its own the program gets its path (Wine quotes one with spaces).
    if (commandLine.size() > 2 && commandLine.front() == '"' && commandLine.back() == '"')
        commandLine = commandLine.substr(1, commandLine.size() - 2);
    EXPECT_EQ(commandLine, narrow(m_libraryFolder.path()) + "Cofferprep.exe");
    std::string folder = narrow(callerFolder.path());
    folder.pop_back(); // the current folder is reported without its last backslash
    EXPECT_EQ(currentFolder, folder);
}

// Nothing would ever signal when Cofferprep is missing or ends without signalling: the call
// returns 0 instead of waiting forever.
TEST_F(CofferlibTest, ReturnsWhenCofferprepIsMissingOrEndsWithoutSignalling)
{
    EXPECT_EQ(installDrivers(), 0);

    ASSERT_TRUE(m_libraryFolder.copyIn(testprocess::binFolder() + L"launch_probe.exe", L"Cofferprep.exe"));
    const std::wstring log = m_libraryFolder.path() + L"starts.txt";
    testprocess::CEnvironmentVariable probeLog(L"VELMORA_PROBE_LOG", log.c_str());
    EXPECT_EQ(installDrivers(), 0);
    EXPECT_EQ(readLines(log).size(), 1u);
}

TEST_F(CofferlibTest, ExportsOnlyTheUndecoratedName)
{
    EXPECT_EQ(GetProcAddress(m_library, "InstallDrivers@0"), nullptr);
    EXPECT_EQ(GetProcAddress(m_library, "_InstallDrivers@0"), nullptr);
}

} // namespace
