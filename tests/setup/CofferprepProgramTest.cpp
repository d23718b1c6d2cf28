// Cofferprep run as a program under Wine with the real SetupAPI, newdev and registry. No
// drivers exist here: without bus.inf the installation fails (the failure message), and with
// a bus.inf that installs nothing the bus device is registered but never offers the
// interface a disk is requested through.

#include "CMessageBoxCapture.h"
#include "CScratchFolder.h"
#include "CSetupMachineTest.h"
#include "CTestProcess.h"
#include "RegistryProbe.h"
#include "SetupTestFiles.h"
#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace setuptest;
using testreg::Value;

namespace {

class CofferprepProgramTest : public CSetupMachineTest {
protected:
    void SetUp() override
    {
        CSetupMachineTest::SetUp();
        ASSERT_FALSE(m_folder.path().empty());
        ASSERT_TRUE(m_folder.copyIn(testprocess::binFolder() + L"cofferprep_capture.exe", L"Cofferprep.exe"));
        m_finished.reset(CreateEventW(nullptr, FALSE, FALSE, L"CofferixInstallDrivers"));
        ASSERT_TRUE(m_finished);
    }

    // Runs the program from its folder with its message boxes captured; checks what holds on
    // every path: it ends and sets "CofferixInstallDrivers".
    std::vector<CapturedBox> runCofferprep()
    {
        const std::wstring log = m_folder.path() + L"boxes.txt";
        DeleteFileW(log.c_str());
        testprocess::CEnvironmentVariable capture(L"VELMORA_MSGBOX_LOG", log.c_str());
        testprocess::Outcome outcome = testprocess::run(m_folder.path() + L"Cofferprep.exe");
        EXPECT_TRUE(outcome.finished);
        EXPECT_EQ(WaitForSingleObject(m_finished.get(), 0), WAIT_OBJECT_0) << "CofferixInstallDrivers was not set";
        return CMessageBoxCapture::readLog(log);
    }

    static void expectFailureMessage(const std::vector<CapturedBox>& boxes)
    {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, kFailureText);
        EXPECT_EQ(boxes[0].caption, kTitle);
        EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
        EXPECT_EQ(boxes[0].buttons, static_cast<UINT>(MB_OK));
    }

    CScratchFolder m_folder{L"Cofferprep"};
    CHandle m_finished;
};

struct PolicyState {
    const char* name;
    std::optional<Value> dontPrompt;
    std::optional<Value> dontSearch;
};

void putPolicy(const std::wstring& name, const std::optional<Value>& value)
{
    if (value)
        testreg::put(HKEY_LOCAL_MACHINE, kPolicyKey, name, *value);
}

// Without bus.inf: the failure message, and the policy exactly as it was found, whatever it
// was (absent values stay absent, values of another type keep their type and data).
TEST_F(CofferprepProgramTest, WithoutBusInfShowsTheFailureAndLeavesThePolicyAsFound)
{
    const PolicyState states[] = {
        {"both absent", std::nullopt, std::nullopt},
        {"both off", testreg::dword(0), testreg::dword(0)},
        {"one on, one absent", testreg::dword(1), std::nullopt},
        {"a text and a number", testreg::text(L"0"), testreg::dword(7)},
    };
    for (const PolicyState& state : states) {
        SCOPED_TRACE(state.name);
        removeSetupTraces();
        putPolicy(kDontPrompt, state.dontPrompt);
        putPolicy(kDontSearch, state.dontSearch);

        expectFailureMessage(runCofferprep());

        EXPECT_EQ(testreg::get(HKEY_LOCAL_MACHINE, kPolicyKey, kDontPrompt), state.dontPrompt);
        EXPECT_EQ(testreg::get(HKEY_LOCAL_MACHINE, kPolicyKey, kDontSearch), state.dontSearch);
        EXPECT_EQ(countDevices("root\\sbusenum"), 0);
    }
}

// An INF that names no device class fails the class-installer steps: the failure message,
// and no bus device is left behind.
TEST_F(CofferprepProgramTest, AnUnusableBusInfShowsTheFailure)
{
    ASSERT_TRUE(m_folder.write(L"Drivers\\bus.inf", "this is not an INF file\r\n"));

    expectFailureMessage(runCofferprep());

    EXPECT_EQ(countDevices("root\\sbusenum"), 0);
}

// Each run removes the bus device of the run before and registers its own: there is never
// more than one. No disk is requested (Wine has no bus interface), so no message.
TEST_F(CofferprepProgramTest, InstallsOneBusDeviceFromBusInfOnEveryRun)
{
    ASSERT_TRUE(m_folder.write(L"Drivers\\bus.inf", kBusInf));
    testreg::put(HKEY_LOCAL_MACHINE, kPolicyKey, kDontSearch, testreg::dword(0));

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        EXPECT_TRUE(runCofferprep().empty());
        EXPECT_EQ(countDevices("root\\sbusenum"), 1);
        EXPECT_EQ(testreg::get(HKEY_LOCAL_MACHINE, kPolicyKey, kDontSearch), testreg::dword(0));
        EXPECT_EQ(testreg::get(HKEY_LOCAL_MACHINE, kPolicyKey, kDontPrompt), std::nullopt);
    }
}

} // namespace
