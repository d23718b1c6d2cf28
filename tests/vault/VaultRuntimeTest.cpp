// Opening and closing lockboxes and the vault against the simulated bus, message by message
// through the real monitor window: the password prompt and its cache, the wait for the disk
// and its volume, the statuses, and the popup messages.

#include "CDataFile.h"
#include "CMessageWait.h"
#include "CPrivateAreaFile.h"
#include "CSetupApiDeviceAccess.h"
#include "CVaultRegKey.h"
#include "CVaultRuntimeTest.h"
#include "CVaultSettings.h"
#include "CWin32VolumeAccess.h"
#include "CWineShare.h"
#include "resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <map>
#include <thread>

namespace {

void setSetting(const wchar_t* name, DWORD value)
{
    CVaultRegKey key(vaultkeys::Settings);
    ASSERT_TRUE(key.writeDword(name, value));
}

} // namespace

using VaultRuntimeTest = CVaultRuntimeTest;

TEST_F(VaultRuntimeTest, OpenAsksThePasswordThenAttachesNamesAndLabelsTheDisk)
{
    addLockbox(L"Taxes", L"secret", {.preferredDrive = L'T'});
    startMonitor();
    CLockbox* taxes = lockbox(L"Taxes");
    desktop.exclusions.clear(); // saving the record set it already

    // The prompt asks once and the right password opens.
    int asked = 0;
    CModalScript script(IDC_PASSWORD_FIELD, [&asked](HWND dialog) {
        ++asked;
        SetDlgItemTextW(dialog, IDC_PASSWORD_FIELD, L"secret");
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    ASSERT_TRUE(runtime->openLockbox(*taxes, false, true));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(runtime->status(), CVaultRuntime::Done);
    EXPECT_FALSE(runtime->opening());

    taxes = lockbox(L"Taxes");
    EXPECT_TRUE(taxes->attached());
    EXPECT_STREQ(taxes->device().drive, L"T:");
    EXPECT_TRUE(stepLogged("define T: \\Device\\SDisk1"));
    EXPECT_TRUE(stepLogged("label T: Taxes"));
    EXPECT_EQ(desktop.exclusions, std::vector<std::wstring>{L"T:+"});
    // The disk serves the data file under the key the password unlocks.
    ASSERT_TRUE(bus.disk(1).has_value());
    const CSimulatedDiskBus::Disk disk = *bus.disk(1);
    EXPECT_EQ(disk.ntName, L"\\??\\" + taxes->dataFile());
    EXPECT_EQ(disk.size, CPrivateAreaFile::usableSize(taxes->dataFile()));
    EXPECT_EQ(CSecretBytes(disk.key.data(), 16), diskKeyOf(taxes->dataFile(), L"secret"));

    // Open again: already attached, no prompt and no new disk.
    const auto stepsBefore = bus.steps().size();
    EXPECT_TRUE(runtime->openLockbox(*taxes, false, true));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(bus.diskCount(), 1);
    const auto steps = bus.steps();
    EXPECT_EQ(std::count(steps.begin() + stepsBefore, steps.end(), std::string("plugIn")), 0);
}

TEST_F(VaultRuntimeTest, CancelledPromptAndMissingDataFileKeepTheLockboxClosed)
{
    addLockbox(L"Taxes", L"secret");
    addLockbox(L"Gone", L"secret");
    startMonitor();
    {
        CModalScript cancel(IDC_PASSWORD_FIELD, [](HWND dialog) {
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        EXPECT_FALSE(runtime->openLockbox(*lockbox(L"Taxes"), false, true));
        EXPECT_TRUE(cancel.ran());
    }
    EXPECT_EQ(runtime->status(), CVaultRuntime::Cancelled);

    ASSERT_TRUE(DeleteFileW(lockbox(L"Gone")->dataFile().c_str()));
    EXPECT_FALSE(runtime->openLockbox(*lockbox(L"Gone"), false, true));
    EXPECT_EQ(runtime->status(), CVaultRuntime::DataFileMissing);
    EXPECT_TRUE(runtime->reported());
    EXPECT_EQ(popupTexts(), std::vector<std::wstring>{L"Unable to access the data file for your 'Gone' lockbox."});
    EXPECT_EQ(bus.diskCount(), 0);
}

TEST_F(VaultRuntimeTest, SecondOpenWhileOneWaitsFailsAtOnce)
{
    addLockbox(L"Taxes", L"secret");
    addLockbox(L"Photos", L"secret");
    startMonitor();
    int nestedStatus = -1;
    bool nestedResult = true;
    bus.onStep = [&](const std::string& step) {
        if (step != "plugIn")
            return;
        // The first open waits for its disk from here on.
        nestedResult = runtime->openLockbox(*lockbox(L"Photos"), false, true);
        nestedStatus = runtime->status();
    };
    EXPECT_TRUE(openWithPassword(*lockbox(L"Taxes"), L"secret"));
    bus.onStep = nullptr;
    EXPECT_FALSE(nestedResult);
    EXPECT_EQ(nestedStatus, CVaultRuntime::OpenInProgress);
    EXPECT_FALSE(lockbox(L"Photos")->attached());
}

TEST_F(VaultRuntimeTest, AttachThatFailsReportsDriverFailureAndDetachesTheDisk)
{
    addLockbox(L"Taxes", L"secret");
    startMonitor();
    bus.refuseAttach = true;
    EXPECT_FALSE(openWithPassword(*lockbox(L"Taxes"), L"secret"));
    EXPECT_EQ(runtime->status(), CVaultRuntime::DriverFailed);
    EXPECT_FALSE(runtime->opening());
    EXPECT_FALSE(lockbox(L"Taxes")->attached());
    EXPECT_TRUE(stepLogged("eject SECUREDISK\\DISK_AESENC\\1&2C4A7E1&0&01"));
}

TEST_F(VaultRuntimeTest, WithoutDriversTheDiskRequestFailsForReal)
{
    addLockbox(L"Taxes", L"secret");
    CSetupApiDeviceAccess devices;
    CWin32VolumeAccess volumes;
    CSecureDisks realDisks(devices, volumes, desktop);
    CVaultRuntime realRuntime(*vault, realDisks, &desktop);
    auto script = answerPassword(L"secret");
    EXPECT_FALSE(realRuntime.openLockbox(*lockbox(L"Taxes"), false, true));
    EXPECT_EQ(realRuntime.status(), CVaultRuntime::DriverFailed);
    EXPECT_FALSE(realRuntime.opening());
    EXPECT_FALSE(lockbox(L"Taxes")->attached());
}

TEST_F(VaultRuntimeTest, CloseEjectsAndWaitsForTheVolumeToGo)
{
    addLockbox(L"Taxes", L"secret");
    startMonitor();
    ASSERT_TRUE(openWithPassword(*lockbox(L"Taxes"), L"secret"));
    CLockbox* taxes = lockbox(L"Taxes");
    const std::wstring drive = taxes->device().drive;
    ASSERT_TRUE(runtime->closeLockbox(*taxes, true));
    EXPECT_EQ(runtime->status(), CVaultRuntime::Done);
    EXPECT_FALSE(runtime->closing());
    EXPECT_FALSE(taxes->attached());
    EXPECT_FALSE(taxes->hasKeys());
    const std::string letter(1, static_cast<char>(drive[0]));
    EXPECT_TRUE(stepLogged("dismount " + letter + ":"));
    EXPECT_TRUE(stepLogged("remove " + letter + ":"));
}

TEST_F(VaultRuntimeTest, CloseWhoseRemovalNeverComesReturnsAfterTenSeconds)
{
    addLockbox(L"Taxes", L"secret");
    startMonitor();
    ASSERT_TRUE(openWithPassword(*lockbox(L"Taxes"), L"secret"));
    bus.setReportsRemoval(1, false);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(runtime->closeLockbox(*lockbox(L"Taxes"), false));
    EXPECT_GE(GetTickCount() - start, CVaultRuntime::kCloseWaitMs);
    EXPECT_FALSE(runtime->closing());
}

TEST_F(VaultRuntimeTest, BusyLockboxClosesOnlyAfterTheInUseDialogsRetry)
{
    addLockbox(L"Taxes", L"secret");
    startMonitor();
    ASSERT_TRUE(openWithPassword(*lockbox(L"Taxes"), L"secret"));
    bus.setVetoName(1, L"WINWORD.EXE");
    // Not interactive: it just fails.
    EXPECT_FALSE(runtime->closeLockbox(*lockbox(L"Taxes"), false));
    EXPECT_EQ(runtime->status(), CVaultRuntime::DriverFailed);
    EXPECT_TRUE(lockbox(L"Taxes")->attached());

    // Interactive: the in-use dialog comes; the program lets go and OK retries the close.
    bool shown = false;
    CModalScript dialog(IDC_INUSE_LIST, [&](HWND window) {
        shown = true;
        bus.setVetoName(1, L"");
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_TRUE(runtime->closeLockbox(*lockbox(L"Taxes"), true));
    EXPECT_TRUE(shown);
    EXPECT_FALSE(lockbox(L"Taxes")->attached());
}

TEST_F(VaultRuntimeTest, OpenVaultAsksOnceForLockboxesSharingAPassword)
{
    for (const wchar_t* name : {L"One", L"Two", L"Three"})
        addLockbox(name, L"shared", {.openWithVault = true});
    addLockbox(L"Apart", L"other");
    startMonitor();
    int asked = 0;
    CModalScript script(IDC_PASSWORD_FIELD, [&asked](HWND dialog) {
        ++asked;
        SetDlgItemTextW(dialog, IDC_PASSWORD_FIELD, L"shared");
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    SendMessageW(monitor->hwnd(), WM_COMMAND, ID_VAULT_OPEN, 0);
    EXPECT_EQ(asked, 1);
    for (const wchar_t* name : {L"One", L"Two", L"Three"})
        EXPECT_TRUE(lockbox(name)->attached()) << name;
    EXPECT_FALSE(lockbox(L"Apart")->attached());
    EXPECT_TRUE(runtime->isVaultOpen());
    EXPECT_EQ(popupTexts(), std::vector<std::wstring>{L"Your Vault is open and ready for use."});
    EXPECT_EQ(desktop.icons.size(), 3u);
    EXPECT_EQ(desktop.shellNotifications, 1);

    // Open again: already open, nothing happens.
    SendMessageW(monitor->hwnd(), WM_COMMAND, ID_VAULT_OPEN, 0);
    EXPECT_EQ(popupTexts().size(), 1u);

    SendMessageW(monitor->hwnd(), WM_COMMAND, ID_VAULT_CLOSE, 0);
    EXPECT_FALSE(runtime->isVaultOpen());
    EXPECT_EQ(popupTexts().back(), L"Your Vault was successfully closed.");
}

TEST_F(VaultRuntimeTest, VaultMessagesCountFailuresInWords)
{
    for (const wchar_t* name : {L"One", L"Two", L"Three"})
        addLockbox(name, L"shared", {.openWithVault = true});
    startMonitor();
    ASSERT_TRUE(DeleteFileW(lockbox(L"Two")->dataFile().c_str()));
    ASSERT_TRUE(DeleteFileW(lockbox(L"Three")->dataFile().c_str()));
    auto script = answerPassword(L"shared");
    SendMessageW(monitor->hwnd(), WM_COMMAND, ID_VAULT_OPEN, 0);
    ASSERT_EQ(chronel->popups().size(), 1u);
    EXPECT_EQ(chronel->popups()[0].kind, 1);
    EXPECT_EQ(chronel->popups()[0].text, L"Unable to open two of your lockboxes.  Double-click on the application "
                                         L"icon to review your vault status.");

    // Nothing can open at all.
    ASSERT_TRUE(runtime->closeLockbox(*lockbox(L"One"), false));
    ASSERT_TRUE(DeleteFileW(lockbox(L"One")->dataFile().c_str()));
    SendMessageW(monitor->hwnd(), WM_COMMAND, ID_VAULT_OPEN, 0);
    EXPECT_EQ(chronel->popups().back().kind, 2);
    EXPECT_EQ(chronel->popups().back().text, L"Your Vault was not opened.");

    struct Case {
        unsigned number;
        const wchar_t* words;
    };
    for (const Case& c : {Case{0, L"None"}, Case{1, L"one"}, Case{10, L"ten"}, Case{11, L"11"}, Case{20, L"20"}})
        EXPECT_EQ(CVaultRuntime::numberInWords(c.number), c.words);
}

TEST_F(VaultRuntimeTest, PopupMessagesOffSendsNothing)
{
    addLockbox(L"One", L"shared", {.openWithVault = true});
    startMonitor();
    setSetting(L"PopupMessages", 0);
    auto script = answerPassword(L"shared");
    SendMessageW(monitor->hwnd(), WM_COMMAND, ID_VAULT_OPEN, 0);
    ASSERT_TRUE(lockbox(L"One")->attached());
    SendMessageW(monitor->hwnd(), WM_COMMAND, ID_VAULT_CLOSE, 0);
    EXPECT_FALSE(lockbox(L"One")->attached());
    EXPECT_TRUE(chronel->popups().empty());
}

TEST_F(VaultRuntimeTest, StandbyIsRefusedOnlyWhenABusyLockboxStaysOpenAndCancelIsChosen)
{
    addLockbox(L"Taxes", L"secret");
    startMonitor();
    // Nothing attached: never refused.
    EXPECT_NE(SendMessageW(monitor->hwnd(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0), BROADCAST_QUERY_DENY);

    ASSERT_TRUE(openWithPassword(*lockbox(L"Taxes"), L"secret"));
    bus.setVetoName(1, L"WINWORD.EXE");
    struct Case {
        int button;
        bool refused;
    };
    for (const Case& c : {Case{IDCANCEL, true}, Case{IDOK, false}}) {
        std::wstring text;
        CModalScript dialog(IDC_INUSE_LIST, [&](HWND window) {
            wchar_t buffer[512] = {};
            GetDlgItemTextW(window, IDC_INUSE_TEXT, buffer, 512);
            text = buffer;
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED), 0);
        });
        const LRESULT answer = SendMessageW(monitor->hwnd(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
        EXPECT_EQ(answer == BROADCAST_QUERY_DENY, c.refused);
        EXPECT_EQ(text.substr(0, 20), L"For added Security, ");
        EXPECT_TRUE(lockbox(L"Taxes")->attached());
    }

    // The standby itself, which nothing can refuse: what can be closed is closed.
    bus.setVetoName(1, L"");
    SendMessageW(monitor->hwnd(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_FALSE(lockbox(L"Taxes")->attached());
}

TEST(VaultShortcutTest, HotKeyControlModifiersBecomeRegisterHotKeyModifiers)
{
    // Shift 1, control 2, alt 4 in the hot-key control; alt 1, control 2, shift 4 for
    // RegisterHotKey. The extended-key bit (8) plays no part.
    const UINT expected[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    for (WORD modifiers = 0; modifiers < 8; ++modifiers) {
        EXPECT_EQ(CVaultMonitor::hotKeyModifiers(modifiers), expected[modifiers]) << modifiers;
        EXPECT_EQ(CVaultMonitor::hotKeyModifiers(modifiers | 8), expected[modifiers]) << modifiers;
    }
}

TEST_F(VaultRuntimeTest, ShortcutOfTheVaultTogglesTheVaultOnlyAndLockboxShortcutsToggleTheirLockbox)
{
    setSetting(L"KSVK", 'V');
    setSetting(L"KSMD", HOTKEYF_CONTROL | HOTKEYF_SHIFT);
    // The same keys as the vault's: its registration fails and takes no id.
    addLockbox(L"One", L"shared", {.openWithVault = true, .shortcutKey = 'V',
                                   .shortcutModifiers = HOTKEYF_CONTROL | HOTKEYF_SHIFT});
    addLockbox(L"Two", L"apart", {.shortcutKey = 'T', .shortcutModifiers = HOTKEYF_ALT});
    startMonitor();
    const LPARAM vaultKey = MAKELPARAM(MOD_CONTROL | MOD_SHIFT, 'V');
    const LPARAM twoKey = MAKELPARAM(MOD_ALT, 'T');
    const std::map<int, DWORD> registered{{0, static_cast<DWORD>(vaultKey)}, {1, static_cast<DWORD>(twoKey)}};
    EXPECT_EQ(monitor->shortcutKeys(), registered);

    {
        auto script = answerPassword(L"shared");
        SendMessageW(monitor->hwnd(), WM_HOTKEY, 0, vaultKey);
    }
    EXPECT_TRUE(lockbox(L"One")->attached());
    EXPECT_FALSE(lockbox(L"Two")->attached());
    EXPECT_EQ(popupTexts(), std::vector<std::wstring>{L"Your Vault is open and ready for use."});

    {
        auto script = answerPassword(L"apart");
        SendMessageW(monitor->hwnd(), WM_HOTKEY, 1, twoKey);
    }
    EXPECT_TRUE(lockbox(L"Two")->attached());
    SendMessageW(monitor->hwnd(), WM_HOTKEY, 1, twoKey);
    EXPECT_FALSE(lockbox(L"Two")->attached());
    ASSERT_EQ(chronel->popups().size(), 3u);
    EXPECT_EQ(chronel->popups()[1].text, L"The \"Two\" lockbox was successfully opened.");
    EXPECT_EQ(chronel->popups()[2].text, L"The \"Two\" lockbox was successfully closed.");
    EXPECT_EQ(chronel->popups()[2].displayMilliseconds, 5000u);

    // The vault's keys again: it closes, and the lockbox sharing its keys is not touched apart.
    SendMessageW(monitor->hwnd(), WM_HOTKEY, 0, vaultKey);
    EXPECT_FALSE(lockbox(L"One")->attached());
    EXPECT_EQ(popupTexts().back(), L"Your Vault was successfully closed.");

    // A lockbox whose open fails says so.
    bus.refusePlugIn = true;
    {
        auto script = answerPassword(L"apart");
        SendMessageW(monitor->hwnd(), WM_HOTKEY, 1, twoKey);
    }
    EXPECT_EQ(chronel->popups().back().text, L"The \"Two\" lockbox could not be opened.");
    EXPECT_EQ(chronel->popups().back().kind, 2);
    EXPECT_EQ(chronel->popups().back().displayMilliseconds, 8000u);
}

TEST_F(VaultRuntimeTest, IdleLockboxesCloseWithTheirMinutesInWords)
{
    addLockbox(L"Short", L"secret", {.timeoutSeconds = 60});
    addLockbox(L"Long", L"secret", {.timeoutSeconds = 1200});
    addLockbox(L"Busy", L"secret", {.timeoutSeconds = 600});
    startMonitor();
    for (const wchar_t* name : {L"Short", L"Long", L"Busy"})
        ASSERT_TRUE(openWithPassword(*lockbox(name), L"secret")) << name;
    // Idle just past their time-outs, and one still well within its own.
    const ULONGLONG second = 10000000;
    bus.setIdleTime(lockbox(L"Short")->device().diskNumber, 61 * second);
    bus.setIdleTime(lockbox(L"Long")->device().diskNumber, 1200 * second);
    bus.setIdleTime(lockbox(L"Busy")->device().diskNumber, 30 * second);

    SendMessageW(monitor->hwnd(), WM_TIMER, CVaultMonitor::kInactivityTimer, 0);
    EXPECT_FALSE(lockbox(L"Short")->attached());
    EXPECT_FALSE(lockbox(L"Long")->attached());
    EXPECT_TRUE(lockbox(L"Busy")->attached());
    // In list order, which is the records' order.
    const std::vector<std::wstring> expected{
        L"Lockbox 'Long' has been automatically closed following 20 minutes of inactivity",
        L"Lockbox 'Short' has been automatically closed following one minute of inactivity"};
    EXPECT_EQ(popupTexts(), expected);
    EXPECT_EQ(chronel->popups()[0].displayMilliseconds, 8000u);
}

TEST_F(VaultRuntimeTest, NewLockboxIsCreatedAndFirstOpenedOnAWorkerThread)
{
    startMonitor();
    SNewLockbox answers = answersFor(L"Fresh", L"chosen", {}, 2);
    int status = 1;
    bool created = false;
    // The worker has no windows: the device events that end its wait are handled here.
    std::atomic<bool> working{true};
    std::thread worker([&] {
        created = runtime->createLockbox(answers, status);
        working = false;
    });
    CMessageWait::whileSet(working, 60000);
    worker.join();
    ASSERT_TRUE(created);
    EXPECT_EQ(status, 0);
    CLockbox* fresh = lockbox(L"Fresh");
    ASSERT_TRUE(fresh);
    EXPECT_TRUE(fresh->attached());
    EXPECT_EQ(fresh->device().diskSize, 2u * 1024 * 1024);
    EXPECT_TRUE(stepLogged("label " + std::string(1, static_cast<char>(fresh->device().drive[0])) + ": Fresh"));
    EXPECT_TRUE(chronel->popups().empty());
}

TEST_F(VaultRuntimeTest, ReadingTheListAgainFindsWhatIsAttached)
{
    addLockbox(L"Taxes", L"secret");
    startMonitor();
    ASSERT_TRUE(openWithPassword(*lockbox(L"Taxes"), L"secret"));
    const DWORD number = lockbox(L"Taxes")->device().diskNumber;
    vault->loadLockboxes(true);
    EXPECT_TRUE(lockbox(L"Taxes")->attached());
    EXPECT_EQ(lockbox(L"Taxes")->device().diskNumber, number);
}

TEST_F(VaultRuntimeTest, WithEveryLetterTakenTheDiskIsAttachedWithoutADrive)
{
    addLockbox(L"Taxes", L"secret", {.preferredDrive = L'T'});
    startMonitor();
    bus.usedDrives = 0x3FFFFFFu; // A: to Z:
    // No volume can arrive without a letter: the open must not wait for one.
    ASSERT_TRUE(openWithPassword(*lockbox(L"Taxes"), L"secret"));
    EXPECT_TRUE(lockbox(L"Taxes")->attached());
    EXPECT_STREQ(lockbox(L"Taxes")->device().drive, L"");
    EXPECT_FALSE(runtime->opening());
}

TEST_F(VaultRuntimeTest, CloseVaultWithABusyLockboxAsksAndRetriesOnceItIsFree)
{
    addLockbox(L"One", L"shared", {.openWithVault = true});
    addLockbox(L"Two", L"shared", {.openWithVault = true});
    startMonitor();
    {
        auto script = answerPassword(L"shared");
        SendMessageW(monitor->hwnd(), WM_COMMAND, ID_VAULT_OPEN, 0);
    }
    ASSERT_TRUE(runtime->isVaultOpen());
    const DWORD busy = lockbox(L"Two")->device().diskNumber;
    bus.setVetoName(busy, L"WINWORD.EXE");

    // Cancel: the busy lockbox stays open and nothing more is said.
    const size_t before = chronel->popups().size();
    {
        std::wstring text;
        CModalScript cancel(IDC_INUSE_LIST, [&text](HWND dialog) {
            wchar_t buffer[512] = {};
            GetDlgItemTextW(dialog, IDC_INUSE_TEXT, buffer, 512);
            text = buffer;
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        SendMessageW(monitor->hwnd(), WM_COMMAND, ID_VAULT_CLOSE, 0);
        EXPECT_TRUE(cancel.ran());
        EXPECT_EQ(text, L"The \"Two\" lockbox cannot be closed because its contents are still in use by software on "
                        L"this machine.");
    }
    EXPECT_FALSE(lockbox(L"One")->attached());
    EXPECT_TRUE(lockbox(L"Two")->attached());
    EXPECT_EQ(chronel->popups().size(), before);

    // OK once the program has let go: the dialog finds nobody, and the close runs again.
    {
        CModalScript retry(IDC_INUSE_LIST, [&](HWND dialog) {
            bus.setVetoName(busy, L"");
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        SendMessageW(monitor->hwnd(), WM_COMMAND, ID_VAULT_CLOSE, 0);
        EXPECT_TRUE(retry.ran());
    }
    EXPECT_FALSE(lockbox(L"Two")->attached());
    EXPECT_EQ(popupTexts().back(), L"Your Vault was successfully closed.");
}

TEST_F(VaultRuntimeTest, DesktopSearchActionWaitsForItsTimer)
{
    startMonitor();
    SendMessageW(monitor->hwnd(), WM_VAULT_SEARCH_ACTION, 7, 0);
    // A second request before the timer fires replaces the action but not the timer.
    SendMessageW(monitor->hwnd(), WM_VAULT_SEARCH_ACTION, 9, 0);
    EXPECT_TRUE(desktop.searchActions.empty());
    SendMessageW(monitor->hwnd(), WM_TIMER, CVaultMonitor::kSearchTimer, 0);
    EXPECT_EQ(desktop.searchActions, std::vector<WPARAM>{9});
}

TEST_F(VaultRuntimeTest, QuitDuringTheWaitEndsTheOpenAsAFailureAndStaysQueued)
{
    addLockbox(L"Taxes", L"secret");
    startMonitor();
    bus.diskArrives = false; // the bus takes the request, but no disk ever comes
    bus.onStep = [](const std::string& step) {
        if (step == "plugIn")
            PostQuitMessage(3);
    };
    EXPECT_FALSE(openWithPassword(*lockbox(L"Taxes"), L"secret"));
    bus.onStep = nullptr;
    EXPECT_EQ(runtime->status(), CVaultRuntime::DriverFailed);
    EXPECT_FALSE(runtime->opening());
    EXPECT_FALSE(lockbox(L"Taxes")->attached());
    // Posted again for the thread's own loop.
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(VaultRuntimeTest, LockboxOnANetworkShareIsServedByItsUncNameAndFoundAgain)
{
    CWineShare share(L"fileserver", L"vault");
    SNewLockbox answers = answersFor(L"Shared", L"secret", share.root());
    int status = 0;
    ASSERT_TRUE(vault->createLockbox(answers, status));
    share.own(answers.dataFile);
    share.own(answers.dataFile + L"_config");
    startMonitor();
    ASSERT_EQ(lockbox(L"Shared")->dataFile().substr(0, 13), L"\\\\fileserver\\");

    ASSERT_TRUE(openWithPassword(*lockbox(L"Shared"), L"secret"));
    const auto disk = bus.disk(lockbox(L"Shared")->device().diskNumber);
    ASSERT_TRUE(disk.has_value());
    EXPECT_EQ(disk->ntName, L"\\??\\UNC" + answers.dataFile.substr(1));
    EXPECT_EQ(disk->dataFile, answers.dataFile);
    EXPECT_TRUE(lockbox(L"Shared")->attached());
    EXPECT_TRUE(runtime->closeLockbox(*lockbox(L"Shared"), false));
}
