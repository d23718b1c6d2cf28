// The Confirm Message dialog: its buttons and icon from the message box type, its answer,
// the "do not show" check box, and a text area that grows with the message.

#include "CConfirmMessageDialog.h"
#include "CModalScript.h"
#include "CSuiteRegistryTest.h"
#include "GdiScope.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

namespace {

constexpr wchar_t kTitle[] = L"Orvel.Tempra";
constexpr wchar_t kQuestion[] = L"Apply the new zone to this computer's clock?";
constexpr wchar_t kLongText[] =
    L"Your computer's clock will be set to the time of the zone you chose. Programs that are running may show "
    L"the old time until they are started again, and appointments stored in local time may appear earlier or "
    L"later than before. If this computer takes its time from a network, the network may set it back. Choose "
    L"Yes to go on with the change, or No to leave the clock as it is.\r\n\r\nYou can change this choice later "
    L"in the settings of the time zone bar & its list.";

std::wstring textOf(HWND window)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT rectIn(HWND dialog, int id)
{
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class CConfirmTest : public CSuiteRegistryTest {
public:
    HWND open(const std::wstring& text, UINT type)
    {
        m_dialog = std::make_unique<CConfirmMessageDialog>(text, type);
        if (!m_dialog->createModeless(nullptr))
            return nullptr;
        ShowWindow(dialog(), SW_SHOW);
        return dialog();
    }
    HWND dialog() const { return m_dialog ? m_dialog->hwnd() : nullptr; }
    bool shown(int id) const { return (GetWindowLongW(GetDlgItem(dialog(), id), GWL_STYLE) & WS_VISIBLE) != 0; }
    std::wstring text(int id) const { return textOf(GetDlgItem(dialog(), id)); }
    HICON icon() const
    {
        return reinterpret_cast<HICON>(SendDlgItemMessageW(dialog(), IDC_CONFIRM_ICON, STM_GETICON, 0, 0));
    }

protected:
    void TearDown() override
    {
        m_dialog.reset();
        CSuiteRegistryTest::TearDown();
    }

private:
    std::unique_ptr<CConfirmMessageDialog> m_dialog;
};

} // namespace

TEST_F(CConfirmTest, OpensWithTheTitleTheMessageAndTheFocusOnTheFirstButton)
{
    ASSERT_NE(open(kQuestion, MB_YESNO | MB_ICONQUESTION), nullptr);
    EXPECT_EQ(textOf(dialog()), kTitle);
    EXPECT_EQ(text(IDC_CONFIRM_TEXT), kQuestion);
    EXPECT_FALSE(IsDlgButtonChecked(dialog(), IDC_CONFIRM_DONT_SHOW));
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog(), IDC_CONFIRM_FIRST)) << "Enter answers the first button";
}

struct ButtonCase {
    const char* name;
    UINT type;
    const wchar_t* first;
    const wchar_t* second; // null: the second button is hidden
};

// Failures name the case, not its bytes.
void PrintTo(const ButtonCase& c, std::ostream* out) { *out << c.name; }

class CConfirmButtonTest : public CConfirmTest, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(CConfirmButtonTest, TheButtonsAreNamedByTheTypeOrTheFirstStandsAloneInTheMiddle)
{
    const ButtonCase& c = GetParam();
    ASSERT_NE(open(kQuestion, c.type), nullptr);
    EXPECT_EQ(text(IDC_CONFIRM_FIRST), c.first);
    EXPECT_TRUE(shown(IDC_CONFIRM_FIRST));
    EXPECT_EQ(shown(IDC_CONFIRM_SECOND), c.second != nullptr);
    if (c.second) {
        EXPECT_EQ(text(IDC_CONFIRM_SECOND), c.second);
        return;
    }
    RECT client{};
    GetClientRect(dialog(), &client);
    const RECT first = rectIn(dialog(), IDC_CONFIRM_FIRST);
    EXPECT_LE(std::abs(first.left - (client.right - first.right)), 1) << "centred";
}

INSTANTIATE_TEST_SUITE_P(
    Types, CConfirmButtonTest,
    ::testing::Values(ButtonCase{"OkCancel", MB_OKCANCEL | MB_ICONQUESTION, L"OK", L"Cancel"},
                      ButtonCase{"YesNo", MB_YESNO | MB_ICONEXCLAMATION, L"Yes", L"No"},
                      ButtonCase{"RetryCancel", MB_RETRYCANCEL | MB_ICONHAND, L"Retry", L"Cancel"},
                      ButtonCase{"Ok", MB_OK, L"Yes", nullptr},
                      ButtonCase{"YesNoCancel", MB_YESNOCANCEL | MB_ICONQUESTION, L"Yes", nullptr},
                      ButtonCase{"AbortRetryIgnore", MB_ABORTRETRYIGNORE, L"Yes", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

struct IconCase {
    const char* name;
    UINT type;
    LPCWSTR systemIcon; // null: the template's own
};

void PrintTo(const IconCase& c, std::ostream* out) { *out << c.name; }

class CConfirmIconTest : public CConfirmTest, public ::testing::WithParamInterface<IconCase> {};

TEST_P(CConfirmIconTest, TheIconIsTheTypesOrElseTheProgramsOwn)
{
    ASSERT_NE(open(kQuestion, GetParam().type), nullptr);
    ASSERT_NE(icon(), nullptr);
    if (GetParam().systemIcon) {
        EXPECT_EQ(icon(), LoadIconW(nullptr, GetParam().systemIcon));
        return;
    }
    for (LPCWSTR other : {IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK})
        EXPECT_NE(icon(), LoadIconW(nullptr, other));
    EXPECT_EQ(icon(), LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_CHRONEL)));
}

INSTANTIATE_TEST_SUITE_P(Types, CConfirmIconTest,
                         ::testing::Values(IconCase{"Stop", MB_ICONHAND | MB_YESNO, IDI_HAND},
                                           IconCase{"Question", MB_ICONQUESTION | MB_OKCANCEL, IDI_QUESTION},
                                           IconCase{"Exclamation", MB_ICONEXCLAMATION, IDI_EXCLAMATION},
                                           IconCase{"Information", MB_ICONASTERISK | MB_RETRYCANCEL, IDI_ASTERISK},
                                           IconCase{"None", MB_YESNO, nullptr},
                                           IconCase{"UserIcon", MB_USERICON | MB_YESNO, nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

struct AnswerCase {
    const char* name;
    UINT message; // sent to the dialog
    WPARAM command;
    bool dontShow;
    INT_PTR result;
};

void PrintTo(const AnswerCase& c, std::ostream* out) { *out << c.name; }

class CConfirmAnswerTest : public CConfirmTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(CConfirmAnswerTest, TheFirstButtonAnswersOneEverythingElseTwoAndTheCheckBoxIsKept)
{
    CConfirmMessageDialog confirm(kQuestion, MB_YESNO | MB_ICONQUESTION);
    CModalScript script(IDC_CONFIRM_TEXT, [](HWND d) {
        const AnswerCase& c = GetParam();
        if (c.dontShow) {
            SendDlgItemMessageW(d, IDC_CONFIRM_DONT_SHOW, BM_SETCHECK, BST_CHECKED, 0);
            SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_CONFIRM_DONT_SHOW, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_CONFIRM_DONT_SHOW)));
        }
        const HWND button = c.message == WM_COMMAND ? GetDlgItem(d, LOWORD(c.command)) : nullptr;
        PostMessageW(d, c.message, c.command, reinterpret_cast<LPARAM>(button));
    });
    EXPECT_EQ(confirm.doModal(nullptr), GetParam().result);
    EXPECT_TRUE(script.ran());
    EXPECT_EQ(confirm.dontShowAgain(), GetParam().dontShow);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CConfirmAnswerTest,
    ::testing::Values(
        AnswerCase{"First", WM_COMMAND, MAKEWPARAM(IDC_CONFIRM_FIRST, BN_CLICKED), false, 1},
        AnswerCase{"FirstRemembered", WM_COMMAND, MAKEWPARAM(IDC_CONFIRM_FIRST, BN_CLICKED), true, 1},
        AnswerCase{"Second", WM_COMMAND, MAKEWPARAM(IDC_CONFIRM_SECOND, BN_CLICKED), false, 2},
        AnswerCase{"SecondRemembered", WM_COMMAND, MAKEWPARAM(IDC_CONFIRM_SECOND, BN_CLICKED), true, 2},
        AnswerCase{"Escape", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), true, 2},
        AnswerCase{"Closed", WM_CLOSE, 0, false, 2},
        AnswerCase{"ClosedRemembered", WM_CLOSE, 0, true, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CConfirmTest, ALongMessageWrapsWhollyIntoATallerDialogAboveTheCheckBoxAndButtons)
{
    ASSERT_NE(open(kQuestion, MB_YESNO), nullptr);
    RECT shortWindow{};
    GetWindowRect(dialog(), &shortWindow);
    const RECT shortText = rectIn(dialog(), IDC_CONFIRM_TEXT);

    ASSERT_NE(open(kLongText, MB_YESNO), nullptr);
    RECT longWindow{};
    GetWindowRect(dialog(), &longWindow);
    const RECT textArea = rectIn(dialog(), IDC_CONFIRM_TEXT);
    const RECT check = rectIn(dialog(), IDC_CONFIRM_DONT_SHOW);
    const RECT first = rectIn(dialog(), IDC_CONFIRM_FIRST);
    const RECT second = rectIn(dialog(), IDC_CONFIRM_SECOND);
    RECT client{};
    GetClientRect(dialog(), &client);

    // All of it, as the control wraps it.
    HWND control = GetDlgItem(dialog(), IDC_CONFIRM_TEXT);
    CWindowDc dc(control);
    CSelectObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT needed{0, 0, textArea.right - textArea.left, 0};
    DrawTextW(dc.get(), kLongText, -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    ASSERT_GT(needed.bottom, shortText.bottom - shortText.top) << "the long text needs more than the template's lines";
    EXPECT_GE(textArea.bottom - textArea.top, needed.bottom);

    EXPECT_EQ(textArea.right - textArea.left, shortText.right - shortText.left) << "it wraps, never widens";
    EXPECT_GT(longWindow.bottom - longWindow.top, shortWindow.bottom - shortWindow.top);
    EXPECT_EQ(longWindow.right - longWindow.left, shortWindow.right - shortWindow.left);
    EXPECT_GE(check.top, textArea.bottom);
    EXPECT_GE(first.top, check.bottom);
    EXPECT_EQ(first.top, second.top);
    EXPECT_LE(first.bottom, client.bottom);
}
