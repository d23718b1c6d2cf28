#pragma once
// Fixture of the vault's run-time tests: the simulated bus behind both device seams, the
// stand-in handle table, the vault with lockboxes made for the test, the run time and its
// monitor window, and a window that receives the vault's popup messages.

#include "CModalScript.h"
#include "CPopupReceiver.h"
#include "CSecureDisks.h"
#include "CSimulatedDiskBus.h"
#include "CSystemHandlesStandIn.h"
#include "CVault.h"
#include "CVaultMonitor.h"
#include "CVaultRuntime.h"
#include "CVaultTest.h"

#include <memory>
#include <string>
#include <vector>

// Records what the run time asks of the desktop.
class CDesktopLog : public CNoDesktopIntegration {
public:
    void applySearchExclusion(const std::wstring& drive, bool exclude) override
    {
        exclusions.push_back(drive + (exclude ? L"+" : L"-"));
    }
    bool refreshDesktopIcon(const CLockbox& lockbox) override
    {
        icons.push_back(lockbox.name());
        return true;
    }
    void notifyShell() override { ++shellNotifications; }
    void runSearchAction(WPARAM action) override { searchActions.push_back(action); }
    std::vector<std::wstring> exclusions;
    std::vector<WPARAM> searchActions;
    std::vector<std::wstring> icons;
    int shellNotifications = 0;
};

struct SLockboxOptions {
    bool openWithVault = false;
    WORD shortcutKey = 0;
    WORD shortcutModifiers = 0;
    wchar_t preferredDrive = 0;
    DWORD timeoutSeconds = 0;
    std::wstring question = L"Pet?";
};

class CVaultRuntimeTest : public CVaultTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The Add-lockbox wizard's answers for a 1 MB lockbox in `folder` (the test's own when
    // empty), with the question "Pet?" and the answer "Rex".
    SNewLockbox answersFor(const std::wstring& name, const std::wstring& password, const std::wstring& folder = {},
                           DWORD capacityMB = 1) const;
    // A lockbox with its record and data file; the list is read again.
    CLockbox* addLockbox(const std::wstring& name, const std::wstring& password, const SLockboxOptions& options = {});
    CLockbox* lockbox(const std::wstring& name) const { return vault->findLockbox(name, false); }
    // The run time and its window, once the test's lockboxes are made.
    void startMonitor();
    // Answers the next password prompt with `password`.
    std::unique_ptr<CModalScript> answerPassword(const std::wstring& password);
    // Opens with the prompt answered.
    bool openWithPassword(CLockbox& box, const std::wstring& password);
    // Lets the bus's queued events arrive.
    void settle(DWORD ms = 200);
    std::vector<std::wstring> popupTexts() const;
    bool stepLogged(const std::string& step) const;

    CSimulatedDiskBus bus;
    CSystemHandlesStandIn handles;
    CDesktopLog desktop;
    std::unique_ptr<CVault> vault;
    std::unique_ptr<CSecureDisks> disks;
    std::unique_ptr<CVaultRuntime> runtime;
    std::unique_ptr<CVaultMonitor> monitor;
    std::unique_ptr<CPopupReceiver> chronel;
};
