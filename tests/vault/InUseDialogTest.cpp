// The in-use dialog over the stand-in system, driven with messages: its texts, the details
// part and its settings, the list's lines, and how it ends.

#include "CInUseDialog.h"
#include "CModalScript.h"
#include "CSuiteRegistryTest.h"
#include "CSystemHandlesStandIn.h"
#include "CVaultRegKey.h"
#include "CVaultSettings.h"
#include "ResourceString.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace {

using SHandle = CSystemHandlesStandIn::SHandle;
const wchar_t kWord[] = L"C:\\Program Files\\Office\\WINWORD.EXE";

std::wstring textOf(HWND window)
{
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

std::vector<std::wstring> linesOf(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_INUSE_LIST);
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[1024] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        lines.push_back(text);
    }
    return lines;
}

void click(HWND dialog, int id)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void setSetting(const wchar_t* name, DWORD value)
{
    CVaultRegKey key(vaultkeys::Settings);
    ASSERT_TRUE(key.writeDword(name, value));
}

DWORD settingOf(const wchar_t* name)
{
    CVaultRegKey key(vaultkeys::Settings);
    DWORD value = 0xFFFFFFFF;
    key.readDword(name, value);
    return value;
}

// Shown within the dialog (the modeless test dialog itself stays hidden).
bool shown(HWND control)
{
    return (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

int clientHeight(HWND window)
{
    RECT rect{};
    GetClientRect(window, &rect);
    return rect.bottom;
}

class InUseDialogTest : public CSuiteRegistryTest {
protected:
    void SetUp() override
    {
        CSuiteRegistryTest::SetUp();
        system.addProcess(100, kWord);
        system.addProcess(200, L"C:\\windows\\notepad.exe");
    }

    void addFile(DWORD pid, USHORT handle, const std::wstring& kernelName)
    {
        SHandle h;
        h.processId = pid;
        h.handle = handle;
        h.kernelName = kernelName;
        h.fileName = kernelName;
        system.addHandle(h);
    }

    std::unique_ptr<CInUseDialog> open(CInUseDialog::Mode mode, std::vector<SOpenLockbox> lockboxes)
    {
        auto dialog = std::make_unique<CInUseDialog>(mode, std::move(lockboxes), &system);
        EXPECT_TRUE(dialog->createModeless(nullptr));
        return dialog;
    }

    static std::vector<SOpenLockbox> oneLockbox(wchar_t drive = L'C')
    {
        return {SOpenLockbox{L"Taxes", drive, 3}};
    }

    CSystemHandlesStandIn system;
};

struct HeaderCase {
    CInUseDialog::Mode mode;
    int lockboxes;
    UINT stringId;
};

class InUseHeaderTest : public InUseDialogTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(InUseHeaderTest, HeaderTextPerMode)
{
    std::vector<SOpenLockbox> lockboxes;
    for (int i = 0; i < GetParam().lockboxes; ++i)
        lockboxes.push_back(SOpenLockbox{i == 0 ? L"Taxes" : L"Photos", static_cast<wchar_t>(L'P' + i), DWORD(3 + i)});
    auto dialog = open(GetParam().mode, lockboxes);
    const std::wstring expected = GetParam().stringId == IDS_INUSE_ONE_LOCKBOX
        ? L"The \"Taxes\" lockbox cannot be closed because its contents are still in use by software on this machine."
        : loadString(GetParam().stringId);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(textOf(GetDlgItem(dialog->hwnd(), IDC_INUSE_TEXT)), expected);
    EXPECT_EQ(textOf(dialog->hwnd()), L"Orvel.Cofferix");
    EXPECT_EQ(textOf(GetDlgItem(dialog->hwnd(), IDC_INUSE_HEADING)), L"Lockbox contents in use");
    EXPECT_TRUE(GetWindowLongPtrW(dialog->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

INSTANTIATE_TEST_SUITE_P(Modes, InUseHeaderTest,
                         ::testing::Values(HeaderCase{CInUseDialog::Mode::Close, 1, IDS_INUSE_ONE_LOCKBOX},
                                           HeaderCase{CInUseDialog::Mode::Close, 2, IDS_INUSE_SEVERAL_LOCKBOXES},
                                           HeaderCase{CInUseDialog::Mode::Close, 3, IDS_INUSE_SEVERAL_LOCKBOXES},
                                           HeaderCase{CInUseDialog::Mode::Standby, 1, IDS_INUSE_STANDBY},
                                           HeaderCase{CInUseDialog::Mode::Standby, 2, IDS_INUSE_STANDBY}));

TEST_F(InUseDialogTest, DetailsToggleWritesPIDInfo)
{
    addFile(100, 8, L"\\Device\\SDisk3\\a.doc");
    auto dialog = open(CInUseDialog::Mode::Close, oneLockbox());
    HWND hwnd = dialog->hwnd();
    HWND list = GetDlgItem(hwnd, IDC_INUSE_LIST);
    EXPECT_FALSE(shown(list));
    EXPECT_EQ(textOf(GetDlgItem(hwnd, IDC_INUSE_DETAILS)), L"&Details >>");
    const int hidden = clientHeight(hwnd);
    RECT listRect{};
    GetWindowRect(list, &listRect);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&listRect), 2);
    EXPECT_LT(hidden, listRect.top);

    click(hwnd, IDC_INUSE_DETAILS);
    EXPECT_TRUE(shown(list));
    EXPECT_TRUE(shown(GetDlgItem(hwnd, IDC_INUSE_ITEMS)));
    EXPECT_TRUE(shown(GetDlgItem(hwnd, IDC_INUSE_REFRESH)));
    EXPECT_EQ(textOf(GetDlgItem(hwnd, IDC_INUSE_DETAILS)), L"<< &Details");
    EXPECT_EQ(settingOf(L"PIDInfo"), 1u);
    EXPECT_GT(clientHeight(hwnd), listRect.bottom);

    click(hwnd, IDC_INUSE_DETAILS);
    EXPECT_FALSE(shown(list));
    EXPECT_EQ(settingOf(L"PIDInfo"), 0u);
    EXPECT_EQ(clientHeight(hwnd), hidden);
}

TEST_F(InUseDialogTest, PIDInfoShowsDetailsAtOnce)
{
    setSetting(L"PIDInfo", 1);
    auto dialog = open(CInUseDialog::Mode::Close, oneLockbox());
    EXPECT_TRUE(shown(GetDlgItem(dialog->hwnd(), IDC_INUSE_LIST)));
    EXPECT_EQ(textOf(GetDlgItem(dialog->hwnd(), IDC_INUSE_DETAILS)), L"<< &Details");
}

TEST_F(InUseDialogTest, ItemsShownAndHiddenWithPIDItems)
{
    setSetting(L"PIDInfo", 1);
    setSetting(L"PIDItems", 1);
    addFile(100, 8, L"\\Device\\SDisk3\\Docs\\a.doc");
    addFile(100, 12, L"\\Device\\SDisk3\\windows");
    addFile(200, 8, L"\\Device\\SDisk3\\notes.txt");
    auto dialog = open(CInUseDialog::Mode::Close, oneLockbox(L'C'));
    HWND hwnd = dialog->hwnd();
    EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_INUSE_ITEMS), BST_CHECKED);
    // Paths on the lockbox's drive; C:\windows exists under Wine as a folder.
    EXPECT_EQ(linesOf(hwnd), (std::vector<std::wstring>{L"Microsoft Word", L"File: C:\\Docs\\a.doc",
                                                        L"Directory: C:\\windows", L"Notepad",
                                                        L"File: C:\\notes.txt"}));

    SendDlgItemMessageW(hwnd, IDC_INUSE_ITEMS, BM_SETCHECK, BST_UNCHECKED, 0);
    click(hwnd, IDC_INUSE_ITEMS);
    EXPECT_EQ(settingOf(L"PIDItems"), 0u);
    EXPECT_EQ(linesOf(hwnd), (std::vector<std::wstring>{L"Microsoft Word", L"Notepad"}));

    SendDlgItemMessageW(hwnd, IDC_INUSE_ITEMS, BM_SETCHECK, BST_CHECKED, 0);
    click(hwnd, IDC_INUSE_ITEMS);
    EXPECT_EQ(settingOf(L"PIDItems"), 1u);
    EXPECT_EQ(linesOf(hwnd).size(), 5u);
    EXPECT_FALSE(dialog->retry());
}

TEST_F(InUseDialogTest, EachDiskShowsAsItsOwnDrive)
{
    setSetting(L"PIDItems", 1);
    addFile(100, 8, L"\\Device\\SDisk3\\a.doc");
    addFile(100, 12, L"\\Device\\SDisk12\\b.doc");
    addFile(100, 16, L"\\Device\\SDisk1\\c.doc");
    auto dialog = open(CInUseDialog::Mode::Close, {SOpenLockbox{L"One", L'P', 1}, SOpenLockbox{L"Three", L'Q', 3},
                                                   SOpenLockbox{L"Twelve", L'R', 12}});
    EXPECT_EQ(linesOf(dialog->hwnd()), (std::vector<std::wstring>{L"Microsoft Word", L"File: Q:\\a.doc",
                                                                   L"File: R:\\b.doc", L"File: P:\\c.doc"}));
}

TEST_F(InUseDialogTest, NothingHoldsTheDiskOffersRetry)
{
    addFile(100, 8, L"\\Device\\SDisk4\\other.doc");
    auto dialog = open(CInUseDialog::Mode::Close, oneLockbox());
    EXPECT_EQ(linesOf(dialog->hwnd()), std::vector<std::wstring>{loadString(IDS_INUSE_ALL_CEASED)});
    EXPECT_TRUE(dialog->retry());
}

TEST_F(InUseDialogTest, FailedDetectionSaysSo)
{
    system.deviceMissing = true;
    addFile(100, 8, L"\\Device\\SDisk3\\a.doc");
    auto dialog = open(CInUseDialog::Mode::Close, oneLockbox());
    EXPECT_EQ(linesOf(dialog->hwnd()),
              std::vector<std::wstring>{L"Unable to determine a list of lockbox items in use."});
    EXPECT_FALSE(dialog->retry());

    // Refresh detects again: the detector was forgotten.
    system.deviceMissing = false;
    click(dialog->hwnd(), IDC_INUSE_REFRESH);
    EXPECT_EQ(linesOf(dialog->hwnd()), std::vector<std::wstring>{L"Microsoft Word"});
}

TEST_F(InUseDialogTest, RefreshSeesProgramsThatLetGo)
{
    addFile(100, 8, L"\\Device\\SDisk3\\a.doc");
    auto dialog = open(CInUseDialog::Mode::Close, oneLockbox());
    EXPECT_EQ(linesOf(dialog->hwnd()), std::vector<std::wstring>{L"Microsoft Word"});
    const int queries = system.tableQueries();
    system.clearHandles();
    // Without a refresh the list is filled from the last detection.
    SendDlgItemMessageW(dialog->hwnd(), IDC_INUSE_ITEMS, BM_SETCHECK, BST_CHECKED, 0);
    click(dialog->hwnd(), IDC_INUSE_ITEMS);
    EXPECT_EQ(linesOf(dialog->hwnd()), (std::vector<std::wstring>{L"Microsoft Word", L"File: C:\\a.doc"}));
    EXPECT_EQ(system.tableQueries(), queries);
    click(dialog->hwnd(), IDC_INUSE_REFRESH);
    EXPECT_EQ(linesOf(dialog->hwnd()), std::vector<std::wstring>{loadString(IDS_INUSE_ALL_CEASED)});
    EXPECT_TRUE(dialog->retry());
}

struct EndCase {
    const char* what;
    int button;
    bool letGo;
    INT_PTR result;
    bool retry;
};

class InUseEndTest : public InUseDialogTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(InUseEndTest, EndsModalRun)
{
    addFile(100, 8, L"\\Device\\SDisk3\\a.doc");
    CInUseDialog dialog(CInUseDialog::Mode::Close, oneLockbox(), &system);
    int queriesBefore = -1;
    CModalScript script(IDC_INUSE_LIST, [&](HWND hwnd) {
        queriesBefore = system.tableQueries();
        if (GetParam().letGo)
            system.clearHandles();
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(GetParam().button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, GetParam().button)));
    });
    EXPECT_EQ(dialog.doModal(nullptr), GetParam().result) << GetParam().what;
    EXPECT_TRUE(script.ran());
    EXPECT_EQ(dialog.retry(), GetParam().retry) << GetParam().what;
    // OK detects afresh; Cancel asks nothing more.
    EXPECT_EQ(system.tableQueries() > queriesBefore, GetParam().button == IDOK) << GetParam().what;
    EXPECT_EQ(system.openHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Buttons, InUseEndTest,
                         ::testing::Values(EndCase{"OK, still held", IDOK, false, IDOK, false},
                                           EndCase{"OK, let go", IDOK, true, IDOK, true},
                                           EndCase{"Cancel", IDCANCEL, true, IDCANCEL, false}));

} // namespace
