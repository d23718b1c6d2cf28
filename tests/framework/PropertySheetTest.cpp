// Property pages and sheets: a wizard and a settings sheet of three pages, driven from inside
// the sheet's own modal loop with PSM_PRESSBUTTON and PSM_SETCURSEL, as a user's clicks would.
// Each page edits a copy of one stored text and commits it on Apply or Finish.

#include "CPropertySheet.h"
#include "SheetTestIds.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class CTestPage : public CPropertyPage {
public:
    CTestPage(UINT templateId, std::wstring name, std::wstring& stored, std::vector<std::wstring>& log)
        : CPropertyPage(templateId), m_name(std::move(name)), m_stored(stored), m_log(log)
    {
    }

    // While false, the page does not let itself be left (its field is "invalid").
    bool leavable = true;
    bool cancellable = true;
    // What onWizardNext answers: 0 the next page, -1 stay, or a template id.
    LRESULT nextAnswer = 0;

    void type(const wchar_t* text) { SetDlgItemTextW(hwnd(), IDC_SHEET_FIELD, text); }

protected:
    bool onInitDialog() override
    {
        m_copy = m_stored;
        SetDlgItemTextW(hwnd(), IDC_SHEET_FIELD, m_copy.c_str());
        return true;
    }
    bool onCommand(UINT id, UINT code, HWND) override
    {
        if (id == IDC_SHEET_FIELD && code == EN_CHANGE)
            setModified();
        return false;
    }
    bool onSetActive() override
    {
        m_log.push_back(m_name);
        return true;
    }
    bool onKillActive() override
    {
        wchar_t text[256] = {};
        GetDlgItemTextW(hwnd(), IDC_SHEET_FIELD, text, 256);
        m_copy = text;
        if (!leavable)
            m_log.push_back(m_name + L" stays");
        return leavable;
    }
    bool onApply() override
    {
        m_stored = m_copy;
        m_log.push_back(m_name + L" apply");
        return true;
    }
    void onReset() override { m_log.push_back(m_name + L" reset"); }
    LRESULT onWizardNext() override { return nextAnswer; }
    bool onWizardFinish() override
    {
        onKillActive();
        m_stored = m_copy;
        m_log.push_back(m_name + L" finish");
        return true;
    }
    bool onQueryCancel() override
    {
        m_log.push_back(m_name + L" cancel?");
        return cancellable;
    }

private:
    std::wstring m_name;
    std::wstring& m_stored;
    std::wstring m_copy;
    std::vector<std::wstring>& m_log;
};

// A sheet that runs `script` on its own thread once it is up, from a thread timer that the
// sheet's modal loop dispatches: the script's messages arrive as the user's clicks would.
class CScriptedSheet : public CPropertySheet {
public:
    using CPropertySheet::CPropertySheet;
    std::function<void(HWND)> script;

protected:
    void onInitialized() override
    {
        s_running = this;
        SetTimer(nullptr, 0, 0, &CScriptedSheet::onTimer);
    }

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        if (CScriptedSheet* self = std::exchange(s_running, nullptr))
            self->script(self->hwnd());
    }
    static inline CScriptedSheet* s_running = nullptr;
};

HWND currentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }
void press(HWND sheet, int button) { SendMessageW(sheet, PSM_PRESSBUTTON, button, 0); }
void select(HWND sheet, int index) { SendMessageW(sheet, PSM_SETCURSEL, index, 0); }

class PropertySheetTest : public ::testing::Test {
protected:
    std::wstring name = L"Work", place = L"Office", note = L"";
    std::vector<std::wstring> log;
    CTestPage first{IDD_SHEET_FIRST, L"first", name, log};
    CTestPage second{IDD_SHEET_SECOND, L"second", place, log};
    CTestPage third{IDD_SHEET_THIRD, L"third", note, log};

    void addPages(CPropertySheet& sheet)
    {
        sheet.addPage(first);
        sheet.addPage(second);
        sheet.addPage(third);
    }
};

TEST_F(PropertySheetTest, WizardGoesNextAndBackInOrderAndFinishCommits)
{
    CScriptedSheet wizard(L"Add Lockbox");
    wizard.setWizard(IDB_SHEET_WATERMARK, IDB_SHEET_HEADER);
    first.setHideHeader(true);
    second.setHeader(L"Where", L"Where the data file goes");
    addPages(wizard);
    std::vector<HWND> seen;
    wizard.script = [&](HWND sheet) {
        seen.push_back(currentPage(sheet));
        press(sheet, PSBTN_NEXT);
        seen.push_back(currentPage(sheet));
        second.type(L"Home");
        press(sheet, PSBTN_NEXT);
        seen.push_back(currentPage(sheet));
        press(sheet, PSBTN_BACK);
        seen.push_back(currentPage(sheet));
        press(sheet, PSBTN_NEXT);
        third.type(L"done");
        press(sheet, PSBTN_FINISH);
    };
    EXPECT_GT(wizard.doModal(nullptr), 0);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"first", L"second", L"third", L"second", L"third", L"third finish"}));
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_EQ(seen[1], seen[3]) << "Back returns to the page that was left";
    EXPECT_EQ(note, L"done");
    EXPECT_EQ(place, L"Office") << "only the finishing page commits in this wizard";
    EXPECT_EQ(wizard.hwnd(), nullptr) << "no window once the sheet has ended";
}

TEST_F(PropertySheetTest, APageThatRefusesToBeLeftKeepsTheWizardOnIt)
{
    CScriptedSheet wizard(L"Add Lockbox");
    wizard.setWizard();
    addPages(wizard);
    second.leavable = false;
    HWND stuck = nullptr, after = nullptr, jumped = nullptr, firstPage = nullptr, secondPage = nullptr;
    wizard.script = [&](HWND sheet) {
        firstPage = first.hwnd();
        press(sheet, PSBTN_NEXT);
        secondPage = second.hwnd();
        press(sheet, PSBTN_NEXT); // refused by onKillActive
        stuck = currentPage(sheet);
        second.leavable = true;
        second.nextAnswer = -1; // refused by onWizardNext
        press(sheet, PSBTN_NEXT);
        after = currentPage(sheet);
        second.nextAnswer = IDD_SHEET_FIRST; // a jump by template id
        press(sheet, PSBTN_NEXT);
        jumped = currentPage(sheet);
        press(sheet, PSBTN_CANCEL);
    };
    EXPECT_EQ(wizard.doModal(nullptr), 0) << "cancelled";
    ASSERT_NE(secondPage, nullptr);
    EXPECT_EQ(stuck, secondPage);
    EXPECT_EQ(after, secondPage);
    EXPECT_EQ(jumped, firstPage);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"first", L"second", L"second stays", L"first", L"first cancel?",
                                              L"first reset", L"second reset"}));
}

TEST_F(PropertySheetTest, RefusedCancelKeepsTheWizardOpen)
{
    CScriptedSheet wizard(L"Add Lockbox");
    wizard.setWizard();
    addPages(wizard);
    first.cancellable = false;
    bool stillOpen = false;
    wizard.script = [&](HWND sheet) {
        press(sheet, PSBTN_CANCEL);
        stillOpen = IsWindow(sheet) && currentPage(sheet) == first.hwnd();
        first.cancellable = true;
        press(sheet, PSBTN_CANCEL);
    };
    EXPECT_EQ(wizard.doModal(nullptr), 0);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"first", L"first cancel?", L"first cancel?", L"first reset"}));
}

TEST_F(PropertySheetTest, SettingsSheetAppliesTheEditedCopiesAndCancelDropsThem)
{
    CScriptedSheet sheet(L"Work Properties");
    addPages(sheet);
    wchar_t shown[64] = {};
    sheet.script = [&](HWND window) {
        select(window, 1);
        second.type(L"Home");
        select(window, 2); // the tab order does not matter: any page may come next
        third.type(L"kept");
        press(window, PSBTN_APPLYNOW);
        select(window, 0);
        first.type(L"never stored");
        GetDlgItemTextW(second.hwnd(), IDC_SHEET_FIELD, shown, 64);
        press(window, PSBTN_CANCEL);
    };
    // Closed with Cancel after an Apply: the sheet reports the applied change.
    EXPECT_GT(sheet.doModal(nullptr), 0);
    EXPECT_EQ(place, L"Home");
    EXPECT_EQ(note, L"kept");
    EXPECT_EQ(name, L"Work") << "the edit after Apply was cancelled";
    EXPECT_STREQ(shown, L"Home");
}

TEST_F(PropertySheetTest, CancelWithoutApplyStoresNothing)
{
    CScriptedSheet sheet(L"Work Properties");
    sheet.setNoApplyButton(true);
    addPages(sheet);
    HWND apply = nullptr;
    sheet.script = [&](HWND window) {
        apply = GetDlgItem(window, 0x3021 /* the Apply button */);
        first.type(L"changed");
        select(window, 1);
        press(window, PSBTN_CANCEL);
    };
    EXPECT_EQ(sheet.doModal(nullptr), 0);
    EXPECT_EQ(name, L"Work");
    EXPECT_EQ(place, L"Office");
    EXPECT_TRUE(apply == nullptr || !IsWindowVisible(apply)) << "no Apply button";
}

TEST_F(PropertySheetTest, OkAppliesEveryPageThatWasShown)
{
    CScriptedSheet sheet(L"Work Properties");
    addPages(sheet);
    sheet.script = [&](HWND window) {
        first.type(L"Private");
        select(window, 2);
        third.type(L"ok");
        press(window, PSBTN_OK);
    };
    EXPECT_GT(sheet.doModal(nullptr), 0);
    EXPECT_EQ(name, L"Private");
    EXPECT_EQ(note, L"ok");
    EXPECT_EQ(place, L"Office") << "a page never shown is never created and commits nothing";
}

} // namespace
