// Cofferprep's installation driven in-process, from its real dialog and threads, with the
// real SetupAPI (bus device registration from a test bus.inf), the real service control
// manager and the real Coffersvc, and the simulated bus in place of the drivers and devices.

#include "CCofferprepApp.h"
#include "CDebugOutputMonitor.h"
#include "CMessageBoxCapture.h"
#include "CScratchFolder.h"
#include "CSetupMachineTest.h"
#include "CSimulatedDiskBus.h"
#include "CTestProcess.h"
#include "RegistryProbe.h"
#include "ServiceProbe.h"
#include "SetupTestFiles.h"
#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

using namespace setuptest;
using Steps = std::vector<std::string>;

namespace {

const std::string kPlugged = "SECUREDISK\\DISK_AESENC\\1&2C4A7E1&0&01";

class CofferprepFlowTest : public CSetupMachineTest {
protected:
    void SetUp() override
    {
        CSetupMachineTest::SetUp();
        ASSERT_FALSE(m_folder.path().empty());
        useProgramFolder(L"");
        m_finished.reset(CreateEventW(nullptr, FALSE, FALSE, L"CofferixInstallDrivers"));
        ASSERT_TRUE(m_finished);
    }

    // The program folder (below the scratch folder) with bus.inf and `service` as Coffersvc.exe.
    void useProgramFolder(const std::wstring& relative, const std::wstring& service = L"Coffersvc.exe")
    {
        m_programFolder = m_folder.path() + relative;
        ASSERT_TRUE(m_folder.write(relative + L"Drivers\\bus.inf", kBusInf));
        ASSERT_TRUE(m_folder.copyIn(testprocess::binFolder() + service, relative + L"Coffersvc.exe"));
    }

    // Runs Cofferprep's application object on this thread, answering its message boxes.
    void run(CMessageBoxCapture::Answer answer = {})
    {
        CMessageBoxCapture capture(std::move(answer));
        CInstallation::Settings settings{m_programFolder, m_windows2000};
        CCofferprepApp(GetModuleHandleW(nullptr), m_bus, settings).run();
        m_boxes = capture.boxes();
        EXPECT_EQ(WaitForSingleObject(m_finished.get(), 0), WAIT_OBJECT_0) << "CofferixInstallDrivers was not set";
        EXPECT_EQ(m_bus.notifiedWindow(), nullptr) << "the device notification was not unregistered";
    }

    // Presses Cancel when the bus logs `step`.
    void cancelAt(const std::string& step)
    {
        m_bus.onStep = [this, step](const std::string& logged) {
            if (logged == step)
                PostMessageW(m_bus.notifiedWindow(), WM_COMMAND, IDCANCEL, 0);
        };
    }

    static std::vector<std::wstring> instances() { return testreg::subkeys(HKEY_LOCAL_MACHINE, kDeviceKey); }

    CScratchFolder m_folder{L"Cofferprep flow"};
    std::wstring m_programFolder;
    bool m_windows2000 = false;
    CSimulatedDiskBus m_bus;
    std::vector<CapturedBox> m_boxes;
    CHandle m_finished;
};

const Steps kFullRun = {"updateDriver root\\sbusenum", "plugIn", "arrival", "listDisks", "query " + kPlugged,
                        "locate " + kPlugged, "eject " + kPlugged, "removal"};

// The whole installation: the bus driver, one plugged disk, Coffersvc run once as a service
// after the disk arrived and before the disks are listed, the disk ejected and its removal
// awaited; the policy suppressed meanwhile and put back after.
TEST_F(CofferprepFlowTest, PlugsADiskRunsTheServiceOnceAndEjectsTheDisk)
{
    CDebugOutputMonitor debugOutput;
    ASSERT_TRUE(debugOutput.listening());
    std::optional<testreg::Value> promptDuringRun, searchDuringRun;
    size_t instancesWhenListed = 0;
    bool serviceWhenListed = true;
    m_bus.onStep = [&](const std::string& step) {
        if (step == "plugIn") {
            promptDuringRun = testreg::get(HKEY_LOCAL_MACHINE, kPolicyKey, kDontPrompt);
            searchDuringRun = testreg::get(HKEY_LOCAL_MACHINE, kPolicyKey, kDontSearch);
        } else if (step == "listDisks") {
            instancesWhenListed = instances().size();
            serviceWhenListed = testservice::exists(L"Cofferix");
        }
    };

    run();

    EXPECT_EQ(m_bus.steps(), kFullRun);
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_EQ(countDevices("root\\sbusenum"), 1);
    EXPECT_EQ(promptDuringRun, testreg::dword(1));
    EXPECT_EQ(searchDuringRun, testreg::dword(1));
    EXPECT_EQ(testreg::get(HKEY_LOCAL_MACHINE, kPolicyKey, kDontPrompt), std::nullopt);
    EXPECT_EQ(testreg::get(HKEY_LOCAL_MACHINE, kPolicyKey, kDontSearch), std::nullopt);
    EXPECT_EQ(instancesWhenListed, 9u) << "Coffersvc had not finished when the disks were listed";
    EXPECT_FALSE(serviceWhenListed) << "the service was not deleted after its run";
    EXPECT_EQ(testreg::get(HKEY_LOCAL_MACHINE, kDeviceKey + L"\\1&2c4a7e1&0&09", L"UINumber"), testreg::dword(9));
    for (const std::string& text : debugOutput.texts())
        EXPECT_EQ(text.find("Service timed out"), std::string::npos);
}

TEST_F(CofferprepFlowTest, AnExistingSecureDiskEndsTheProgramWithoutPluggingADisk)
{
    ASSERT_TRUE(registerRootDevice("SecureDisk\\Disk_AesEnc"));

    run();

    EXPECT_EQ(m_bus.steps(), Steps{"updateDriver root\\sbusenum"});
    EXPECT_EQ(countDevices("root\\sbusenum"), 1) << "the bus driver is installed again";
    EXPECT_TRUE(m_boxes.empty());
}

// More than one instance means they were prepared before: no service, the rest goes on.
TEST_F(CofferprepFlowTest, TwoInstanceKeysSkipTheService)
{
    testreg::createKey(HKEY_LOCAL_MACHINE, kDeviceKey + L"\\1&2c4a7e1&0&05");

    run();

    EXPECT_EQ(m_bus.steps(), kFullRun);
    EXPECT_EQ(instances(), (std::vector<std::wstring>{L"1&2c4a7e1&0&01", L"1&2c4a7e1&0&05"}));
}

TEST_F(CofferprepFlowTest, OnWindows2000NeitherThePolicyNorTheServiceIsTouched)
{
    m_windows2000 = true;
    testreg::put(HKEY_LOCAL_MACHINE, kPolicyKey, kDontSearch, testreg::dword(0));
    std::optional<testreg::Value> promptDuringRun, searchDuringRun;
    m_bus.onStep = [&](const std::string& step) {
        if (step == "plugIn") {
            promptDuringRun = testreg::get(HKEY_LOCAL_MACHINE, kPolicyKey, kDontPrompt);
            searchDuringRun = testreg::get(HKEY_LOCAL_MACHINE, kPolicyKey, kDontSearch);
        }
    };

    run();

    EXPECT_EQ(m_bus.steps(), kFullRun);
    EXPECT_EQ(promptDuringRun, std::nullopt);
    EXPECT_EQ(searchDuringRun, testreg::dword(0));
    EXPECT_EQ(instances().size(), 1u) << "the service ran";
}

TEST_F(CofferprepFlowTest, ARefusedDriverUpdateShowsTheFailureAndRemovesTheBusDevice)
{
    m_bus.refuseDriverUpdate = true;
    testreg::put(HKEY_LOCAL_MACHINE, kPolicyKey, kDontPrompt, testreg::dword(0));

    run();

    EXPECT_EQ(m_bus.steps(), Steps{"updateDriver root\\sbusenum"});
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, kFailureText);
    EXPECT_EQ(m_boxes[0].caption, kTitle);
    EXPECT_EQ(m_boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(countDevices("root\\sbusenum"), 0);
    EXPECT_EQ(testreg::get(HKEY_LOCAL_MACHINE, kPolicyKey, kDontPrompt), testreg::dword(0));
    EXPECT_EQ(testreg::get(HKEY_LOCAL_MACHINE, kPolicyKey, kDontSearch), std::nullopt);
}

// Without a bus interface, or when the bus refuses the request, no disk comes: the service
// and the ejection are skipped, without a message.
TEST_F(CofferprepFlowTest, NoDiskFromTheBusSkipsTheServiceAndTheEjection)
{
    struct Case {
        const char* name;
        bool busPresent;
        bool refusePlugIn;
        Steps steps;
    } cases[] = {
        {"no bus interface", false, false, {"updateDriver root\\sbusenum"}},
        {"request refused", true, true, {"updateDriver root\\sbusenum", "plugIn"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSimulatedDiskBus bus;
        bus.busPresent = c.busPresent;
        bus.refusePlugIn = c.refusePlugIn;
        CMessageBoxCapture capture;
        CCofferprepApp(GetModuleHandleW(nullptr), bus, {m_programFolder, false}).run();
        EXPECT_EQ(bus.steps(), c.steps);
        EXPECT_TRUE(capture.boxes().empty());
        EXPECT_EQ(WaitForSingleObject(m_finished.get(), 0), WAIT_OBJECT_0);
        EXPECT_FALSE(testservice::exists(L"Cofferix"));
    }
}

// Only disks that answer the query with 30 bytes or more are ejected, only when started, and
// a vetoed eject is not waited for. A disk whose interface cannot be read stops the listing,
// and then nothing is ejected.
TEST_F(CofferprepFlowTest, OnlyWorkingStartedDisksAreEjected)
{
    using Disk = CSimulatedDiskBus::Disk;
    struct Case {
        const char* name;
        std::vector<Disk> before; // on the bus before the plugged disk
        Steps tail;               // the steps after "listDisks"
    } cases[] = {
        {"mixed disks",
         {Disk{L"A", 29}, Disk{L"B", 304, false}, Disk{L"C", 30, true, true, false}, Disk{L"D", 30, true, true, true, L"Explorer"}},
         {"query A", "query B", "query C", "query D", "query " + kPlugged, "locate C", "locate D", "eject D",
          "locate " + kPlugged, "eject " + kPlugged, "removal"}},
        {"unreadable interface", {Disk{L"F"}, Disk{L"E", 304, true, false}}, {"query F"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        removeSetupTraces();
        CSimulatedDiskBus bus;
        bus.disks = c.before;
        CCofferprepApp(GetModuleHandleW(nullptr), bus, {m_programFolder, false}).run();

        Steps steps = bus.steps();
        auto listed = std::find(steps.begin(), steps.end(), "listDisks");
        ASSERT_NE(listed, steps.end());
        EXPECT_EQ(Steps(listed + 1, steps.end()), c.tail);
    }
}

// Cancel answered Yes ends the wait for the arrival and the wait for the removal at once,
// also a wait that only begins after the answer; the remaining steps still run. Cancel is
// sent from the bus's step, so the answer is in before the installation goes on.
TEST_F(CofferprepFlowTest, CancelAnsweredYesEndsTheWaitsAtOnce)
{
    struct Case {
        const char* name;
        bool diskArrives;
        bool reportsRemoval;
        std::string cancelAt;
        Steps steps;
    } cases[] = {
        {"before the disk is requested", false, true, "updateDriver root\\sbusenum",
         {"updateDriver root\\sbusenum", "plugIn", "listDisks"}},
        {"waiting for the arrival", false, true, "plugIn", {"updateDriver root\\sbusenum", "plugIn", "listDisks"}},
        {"waiting for the removal", true, false, "eject " + kPlugged, Steps(kFullRun.begin(), kFullRun.end() - 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        removeSetupTraces();
        CSimulatedDiskBus bus;
        bus.diskArrives = c.diskArrives;
        bus.pluggedDisk.reportsRemoval = c.reportsRemoval;
        bus.onStep = [&](const std::string& step) {
            if (step == c.cancelAt)
                SendMessageW(bus.notifiedWindow(), WM_COMMAND, IDCANCEL, 0);
        };
        CMessageBoxCapture capture([](const CapturedBox&) { return IDYES; });
        CCofferprepApp(GetModuleHandleW(nullptr), bus, {m_programFolder, false}).run();

        EXPECT_EQ(bus.steps(), c.steps);
        std::vector<CapturedBox> boxes = capture.boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, kCancelText);
        EXPECT_EQ(boxes[0].caption, kTitle);
        EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
        EXPECT_EQ(boxes[0].buttons, static_cast<UINT>(MB_YESNOCANCEL));
        EXPECT_EQ(WaitForSingleObject(m_finished.get(), 0), WAIT_OBJECT_0);
    }
}

// Answered No, the installation keeps waiting for the disk: it goes on only once the disk
// arrives, well after the answer.
TEST_F(CofferprepFlowTest, CancelAnsweredNoKeepsTheInstallationWaiting)
{
    m_bus.announceArrival = false;
    cancelAt("plugIn");

    run([this](const CapturedBox&) {
        m_bus.playArrival(300);
        return IDNO;
    });

    EXPECT_EQ(m_bus.steps(), kFullRun);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].answer, IDNO);
}

// A quit message to the installation thread ends its wait for the arrival, and (posted again
// for whoever comes next) the later wait for the removal too; the steps between still run.
TEST_F(CofferprepFlowTest, AQuitMessageEndsTheInstallationThreadsWaits)
{
    m_bus.announceArrival = false;
    m_bus.pluggedDisk.reportsRemoval = false;
    m_bus.onStep = [](const std::string& step) {
        if (step == "plugIn")
            PostQuitMessage(0); // on the installation thread, which makes the request
    };

    run();

    EXPECT_EQ(m_bus.steps(), (Steps{"updateDriver root\\sbusenum", "plugIn", "listDisks", "query " + kPlugged,
                                    "locate " + kPlugged, "eject " + kPlugged}));
    EXPECT_EQ(instances().size(), 9u) << "the service step runs after the ended wait";
}

TEST_F(CofferprepFlowTest, AServiceThatNeverSignalsTimesOutAndTheInstallationGoesOn)
{
    useProgramFolder(L"", L"launch_probe.exe");
    CDebugOutputMonitor debugOutput;
    ASSERT_TRUE(debugOutput.listening());

    run();

    EXPECT_EQ(m_bus.steps(), kFullRun);
    const std::vector<std::string> texts = debugOutput.texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "****** Service timed out ******\n"), 1);
    EXPECT_FALSE(testservice::exists(L"Cofferix"));
    EXPECT_EQ(instances().size(), 1u);
}

// A "Cofferix" service that exists already is not ours to start or delete.
TEST_F(CofferprepFlowTest, AnExistingServiceOfThatNameIsLeftAlone)
{
    CServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    ASSERT_TRUE(manager);
    const std::wstring other = L"\"" + testprocess::binFolder() + L"launch_probe.exe\"";
    CServiceHandle service(CreateServiceW(manager.get(), L"Cofferix", L"Someone else's", SERVICE_ALL_ACCESS,
                                          SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                          other.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(service);

    run();

    EXPECT_EQ(m_bus.steps(), kFullRun);
    EXPECT_TRUE(testservice::exists(L"Cofferix"));
    EXPECT_EQ(instances().size(), 1u);
}

// In a folder whose path has spaces, the service must start Coffersvc.exe and not a program
// named by the path up to a space.
TEST_F(CofferprepFlowTest, TheServiceStartsCoffersvcFromAFolderWithSpaces)
{
    useProgramFolder(L"Coffer prep\\");
    ASSERT_TRUE(m_folder.copyIn(testprocess::binFolder() + L"launch_probe.exe", L"Coffer.exe"));

    run();

    EXPECT_EQ(instances().size(), 9u) << "Coffersvc did not run as the service";
}

} // namespace
