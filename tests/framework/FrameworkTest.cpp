// The framework's command-line parser and window binding.

#include "CApplication.h"
#include "CWnd.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

TEST(CommandLineTest, ArgumentsFollowTheProgramName)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"\"C:\\Program Files\\Chronel.exe\" show", L"show"},
        {L"Chronel.exe   noShow  ", L"noShow  "},
        {L"Chronel.exe", L""},
        {L"\"C:\\unterminated quote show", L""},
        {L"  \"\"  -Embedding", L"-Embedding"},
        {L"", L""},
    };
    for (const auto& [line, arguments] : cases)
        EXPECT_EQ(CApplication::argumentsOf(line), arguments) << line;
    EXPECT_EQ(CApplication::argumentsOf(nullptr), L"");
}

TEST(CommandLineTest, FrameworkSwitches)
{
    auto info = CCommandLineInfo::parse(L"-Embedding");
    EXPECT_TRUE(info.embedding);
    EXPECT_TRUE(info.startedByCom());
    info = CCommandLineInfo::parse(L"/automation");
    EXPECT_TRUE(info.automation);
    info = CCommandLineInfo::parse(L"x -REGSERVER /UnregServer");
    EXPECT_TRUE(info.regServer);
    EXPECT_TRUE(info.unregServer);
    EXPECT_EQ(info.switches, (std::vector<std::wstring>{L"REGSERVER", L"UnregServer"}));
    info = CCommandLineInfo::parse(L"RegServer - / --Embedding");
    EXPECT_FALSE(info.regServer) << "a switch needs its - or /";
    EXPECT_FALSE(info.embedding) << "--Embedding names a switch \"-Embedding\"";
    info = CCommandLineInfo::parse(std::wstring(100000, L'-') + L" \t\r\n \x7f\x01");
    EXPECT_FALSE(info.startedByCom());
}

class CProbeWnd : public CWnd {
public:
    int created = 0, finals = 0;
    UINT thrower = WM_USER + 7;

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CREATE)
            ++created;
        if (message == thrower)
            throw std::runtime_error("must not cross the window procedure");
        if (message == WM_USER + 8)
            return 1234;
        return defaultProc(message, wParam, lParam);
    }
    void onFinalMessage() override { ++finals; }
};

TEST(CWndTest, BindsDispatchesAndUnbinds)
{
    ASSERT_TRUE(CWnd::registerClass(L"VelmoraProbeWnd"));
    CProbeWnd probe;
    ASSERT_TRUE(probe.create(0, L"VelmoraProbeWnd", L"probe", WS_POPUP, 0, 0, 10, 10));
    EXPECT_EQ(probe.created, 1) << "WM_CREATE reaches the object";
    EXPECT_EQ(CWnd::fromHandle(probe.hwnd()), &probe);
    EXPECT_EQ(SendMessageW(probe.hwnd(), WM_USER + 8, 0, 0), 1234);
    EXPECT_EQ(SendMessageW(probe.hwnd(), probe.thrower, 0, 0), 0) << "the exception stays inside";
    HWND hwnd = probe.hwnd();
    probe.destroy();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(probe.hwnd(), nullptr);
    EXPECT_EQ(probe.finals, 1);

    // An object that goes first takes its window with it.
    HWND second = nullptr;
    {
        CProbeWnd shortLived;
        ASSERT_TRUE(shortLived.create(0, L"VelmoraProbeWnd", L"probe", WS_POPUP, 0, 0, 10, 10));
        second = shortLived.hwnd();
    }
    EXPECT_FALSE(IsWindow(second));
}

} // namespace
