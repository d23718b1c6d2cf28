// The vault's password prompt and secret-question dialog, run as real modal dialogs and driven
// with messages: their texts and layout, what OK refuses and what it keeps, and how they end.

#include "CMessageBoxCapture.h"
#include "CModalScript.h"
#include "CPasswordDialog.h"
#include "CSecretQuestionDialog.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kTitle[] = L"Orvel.Cofferix";
constexpr wchar_t kEmptyPassword[] = L"Please enter a password in the password field.";
constexpr wchar_t kWrongPassword[] = L"You have entered an incorrect password";
constexpr wchar_t kPasswordHelp[] =
    L"To reset your password, click on 'Configure' for the lockbox settings, and\r\n under the 'Security' tab, "
    L"click on the 'Change/Reset Lockbox Password' button.";
constexpr wchar_t kEmptyQuestion[] = L"Please enter a secret question.";
constexpr wchar_t kEmptyAnswer[] = L"Please enter an answer for your secret question.";
constexpr wchar_t kRightPassword[] = L"Opal-42";

std::wstring textOf(HWND window)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

void click(HWND dialog, int id)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void postClick(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Where the keyboard would be: the focus moved as Tab moves it.
void focus(HWND dialog, int id)
{
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

bool styled(HWND control, LONG style)
{
    return (GetWindowLongW(control, GWL_STYLE) & style) == style;
}

// The whole text of an edit selected.
bool allSelected(HWND edit)
{
    DWORD start = 1;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start == 0 && end == static_cast<DWORD>(GetWindowTextLengthW(edit));
}

RECT rectIn(HWND dialog, int id)
{
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The controls Tab visits from `first` until it comes back to it.
std::vector<int> tabOrder(HWND dialog, int first)
{
    std::vector<int> ids;
    HWND start = GetDlgItem(dialog, first);
    HWND control = start;
    do {
        ids.push_back(GetDlgCtrlID(control));
        control = GetNextDlgTabItem(dialog, control, FALSE);
    } while (control && control != start && ids.size() < 20);
    return ids;
}

// The static text just before a control in the dialog's order: its label, whose mnemonic
// moves the focus to the control.
std::wstring labelOf(HWND dialog, int id)
{
    HWND label = GetWindow(GetDlgItem(dialog, id), GW_HWNDPREV);
    wchar_t className[16] = {};
    if (!label || !GetClassNameW(label, className, 16) || _wcsicmp(className, L"Static") != 0)
        return {};
    return textOf(label);
}

// --- The edit's text as it is destroyed: a subclass of the field ---

WNDPROC g_fieldProc = nullptr;
std::wstring g_textAtDestroy;
bool g_fieldDestroyed = false;

LRESULT CALLBACK fieldSpy(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        g_fieldDestroyed = true;
        g_textAtDestroy = textOf(window);
    }
    return CallWindowProcW(g_fieldProc, window, message, wParam, lParam);
}

void spyOn(HWND field)
{
    g_fieldDestroyed = false;
    g_textAtDestroy = L"(not destroyed)";
    g_fieldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&fieldSpy)));
}

// --- The password prompt ---

class PasswordDialogTest : public ::testing::Test {
protected:
    // A prompt whose acceptance function records each password and accepts kRightPassword.
    std::unique_ptr<CPasswordDialog> prompt(CPasswordDialog::Mode mode = CPasswordDialog::Mode::Lockbox,
                                            const std::wstring& name = L"Taxes")
    {
        return std::make_unique<CPasswordDialog>(mode, name, [this](const std::wstring& password) {
            offered.push_back(password);
            return password == kRightPassword;
        });
    }

    std::vector<std::wstring> offered;
};

struct LookCase {
    const char* name;
    CPasswordDialog::Mode mode;
    const wchar_t* lockbox;
    const wchar_t* heading;
    std::vector<int> tabs;
};

void PrintTo(const LookCase& c, std::ostream* out) { *out << c.name; }

class PasswordLookTest : public PasswordDialogTest, public ::testing::WithParamInterface<LookCase> {};

TEST_P(PasswordLookTest, TitleHeadingFontButtonsAndTabOrder)
{
    const LookCase& c = GetParam();
    auto dialog = prompt(c.mode, c.lockbox);
    ASSERT_TRUE(dialog->createModeless(nullptr));
    HWND hwnd = dialog->hwnd();

    EXPECT_EQ(textOf(hwnd), kTitle);
    HWND heading = GetDlgItem(hwnd, IDC_PASSWORD_HEADING);
    EXPECT_EQ(textOf(heading), c.heading);
    EXPECT_TRUE(styled(heading, SS_NOPREFIX)) << "an & in a lockbox name is no mnemonic";
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);

    // Bold 10-point Tahoma.
    LOGFONTW face{};
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(heading, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    ASSERT_TRUE(GetObjectW(font, sizeof face, &face));
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_STREQ(face.lfFaceName, L"Tahoma");
    EXPECT_EQ(face.lfWeight, 700);
    EXPECT_EQ(face.lfHeight, -MulDiv(10, dpi, 72));

    HWND field = GetDlgItem(hwnd, IDC_PASSWORD_FIELD);
    EXPECT_TRUE(styled(field, ES_PASSWORD | ES_AUTOHSCROLL | WS_TABSTOP));
    EXPECT_EQ(labelOf(hwnd, IDC_PASSWORD_FIELD), L"&Password:");
    EXPECT_EQ(GetWindow(heading, GW_HWNDNEXT), GetWindow(field, GW_HWNDPREV)) << "heading, label, field";
    EXPECT_TRUE(styled(GetDlgItem(hwnd, IDOK), BS_DEFPUSHBUTTON));
    EXPECT_EQ(LOWORD(SendMessageW(hwnd, DM_GETDEFID, 0, 0)), IDOK);

    const bool helpShown = styled(GetDlgItem(hwnd, IDC_PASSWORD_HELP), WS_VISIBLE);
    EXPECT_EQ(helpShown, c.mode == CPasswordDialog::Mode::Lockbox);
    EXPECT_EQ(textOf(GetDlgItem(hwnd, IDC_PASSWORD_HELP)), L"&Help...");
    EXPECT_EQ(tabOrder(hwnd, IDC_PASSWORD_FIELD), c.tabs);

    // The last button shown ends where the field does, with or without Help.
    const RECT last = rectIn(hwnd, helpShown ? IDC_PASSWORD_HELP : IDCANCEL);
    const RECT ok = rectIn(hwnd, IDOK);
    const RECT cancel = rectIn(hwnd, IDCANCEL);
    EXPECT_EQ(last.right, rectIn(hwnd, IDC_PASSWORD_FIELD).right);
    EXPECT_LT(ok.right, cancel.left);
    EXPECT_EQ(ok.top, cancel.top);
    EXPECT_EQ(ok.top, last.top);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PasswordLookTest,
    ::testing::Values(LookCase{"Lockbox", CPasswordDialog::Mode::Lockbox, L"R&D Notes", L"Enter password for 'R&D Notes'",
                               {IDC_PASSWORD_FIELD, IDOK, IDCANCEL, IDC_PASSWORD_HELP}},
                      LookCase{"Feature", CPasswordDialog::Mode::Feature, L"Taxes",
                               L"Enter password to access this feature", {IDC_PASSWORD_FIELD, IDOK, IDCANCEL}}),
    [](const auto& info) { return std::string(info.param.name); });

struct OkCase {
    const char* name;
    CPasswordDialog::Mode mode;
    const wchar_t* typed;
    const wchar_t* box; // null: no box, the password is accepted
    std::vector<std::wstring> offered;
};

void PrintTo(const OkCase& c, std::ostream* out) { *out << c.name; }

class PasswordOkTest : public PasswordDialogTest, public ::testing::WithParamInterface<OkCase> {};

TEST_P(PasswordOkTest, OkRefusesWithABoxOrEndsWithThePassword)
{
    const OkCase& c = GetParam();
    CMessageBoxCapture capture;
    auto dialog = prompt(c.mode);
    bool stayed = false;
    CModalScript script(IDC_PASSWORD_FIELD, [&](HWND hwnd) {
        HWND field = GetDlgItem(hwnd, IDC_PASSWORD_FIELD);
        EXPECT_EQ(GetFocus(), field) << "the field has the focus from the start";
        SetWindowTextW(field, c.typed);
        // From the OK button, as a click leaves it.
        focus(hwnd, IDOK);
        click(hwnd, IDOK);
        if (!c.box)
            return;
        stayed = IsWindowVisible(hwnd) != FALSE;
        EXPECT_EQ(GetFocus(), field);
        EXPECT_TRUE(allSelected(field));
        EXPECT_EQ(textOf(field), c.typed) << "the text stays, selected to be typed over";
        EXPECT_EQ(LOWORD(SendMessageW(hwnd, DM_GETDEFID, 0, 0)), IDOK);
        postClick(hwnd, IDCANCEL);
    });

    const INT_PTR result = dialog->doModal(nullptr);
    ASSERT_TRUE(script.ran());
    EXPECT_EQ(offered, c.offered);
    const std::vector<CapturedBox> boxes = capture.boxes();
    if (c.box) {
        EXPECT_TRUE(stayed) << "a refusal leaves the dialog up";
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(dialog->password(), L"");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.box);
        EXPECT_EQ(boxes[0].caption, kTitle);
        EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONINFORMATION));
        EXPECT_EQ(boxes[0].buttons, static_cast<UINT>(MB_OK));
    } else {
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(dialog->password(), c.typed);
        EXPECT_TRUE(boxes.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, PasswordOkTest,
    ::testing::Values(OkCase{"Empty", CPasswordDialog::Mode::Lockbox, L"", kEmptyPassword, {}},
                      OkCase{"EmptyFeature", CPasswordDialog::Mode::Feature, L"", kEmptyPassword, {}},
                      OkCase{"Wrong", CPasswordDialog::Mode::Lockbox, L"opal-42", kWrongPassword, {L"opal-42"}},
                      OkCase{"WrongFeature", CPasswordDialog::Mode::Feature, L"Opal-4", kWrongPassword, {L"Opal-4"}},
                      OkCase{"BlanksAreAPassword", CPasswordDialog::Mode::Lockbox, L"   ", kWrongPassword, {L"   "}},
                      OkCase{"Right", CPasswordDialog::Mode::Lockbox, kRightPassword, nullptr, {kRightPassword}},
                      OkCase{"RightFeature", CPasswordDialog::Mode::Feature, kRightPassword, nullptr, {kRightPassword}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PasswordDialogTest, AWrongPasswordThenTheRightOneKeepsOnlyTheRightOne)
{
    CMessageBoxCapture capture;
    auto dialog = prompt();
    CModalScript script(IDC_PASSWORD_FIELD, [&](HWND hwnd) {
        SetDlgItemTextW(hwnd, IDC_PASSWORD_FIELD, L"Opal-24");
        click(hwnd, IDOK);
        SetDlgItemTextW(hwnd, IDC_PASSWORD_FIELD, kRightPassword);
        click(hwnd, IDOK);
    });
    EXPECT_EQ(dialog->doModal(nullptr), IDOK);
    EXPECT_TRUE(script.ran());
    EXPECT_EQ(offered, (std::vector<std::wstring>{L"Opal-24", kRightPassword}));
    EXPECT_EQ(dialog->password(), kRightPassword);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].text, kWrongPassword);
}

TEST_F(PasswordDialogTest, CancelEndsWithoutAskingTheAcceptanceFunction)
{
    CMessageBoxCapture capture;
    auto dialog = prompt();
    CModalScript script(IDC_PASSWORD_FIELD, [&](HWND hwnd) {
        SetDlgItemTextW(hwnd, IDC_PASSWORD_FIELD, kRightPassword);
        postClick(hwnd, IDCANCEL);
    });
    EXPECT_EQ(dialog->doModal(nullptr), IDCANCEL);
    EXPECT_TRUE(script.ran());
    EXPECT_TRUE(offered.empty());
    EXPECT_EQ(dialog->password(), L"");
    EXPECT_TRUE(capture.boxes().empty());
}

TEST_F(PasswordDialogTest, HelpExplainsTheResetAndGivesTheFieldBackSelected)
{
    CMessageBoxCapture capture;
    auto dialog = prompt();
    CModalScript script(IDC_PASSWORD_FIELD, [&](HWND hwnd) {
        HWND field = GetDlgItem(hwnd, IDC_PASSWORD_FIELD);
        SetWindowTextW(field, L"Opal");
        // Clicked, Help has the focus and looks like the default button.
        focus(hwnd, IDC_PASSWORD_HELP);
        click(hwnd, IDC_PASSWORD_HELP);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_EQ(GetFocus(), field);
        EXPECT_TRUE(allSelected(field));
        EXPECT_EQ(textOf(field), L"Opal");
        EXPECT_EQ(LOWORD(SendMessageW(hwnd, DM_GETDEFID, 0, 0)), IDOK);
        EXPECT_FALSE(styled(GetDlgItem(hwnd, IDC_PASSWORD_HELP), BS_DEFPUSHBUTTON)) << "OK is the default again";
        postClick(hwnd, IDCANCEL);
    });
    EXPECT_EQ(dialog->doModal(nullptr), IDCANCEL);
    EXPECT_TRUE(script.ran());
    EXPECT_TRUE(offered.empty());
    const std::vector<CapturedBox> boxes = capture.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kPasswordHelp);
    EXPECT_EQ(boxes[0].caption, kTitle);
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONINFORMATION));
}

class PasswordEndTest : public PasswordDialogTest, public ::testing::WithParamInterface<int> {};

TEST_P(PasswordEndTest, TheFieldIsEmptiedBeforeTheWindowGoes)
{
    auto dialog = prompt();
    CModalScript script(IDC_PASSWORD_FIELD, [&](HWND hwnd) {
        spyOn(GetDlgItem(hwnd, IDC_PASSWORD_FIELD));
        SetDlgItemTextW(hwnd, IDC_PASSWORD_FIELD, kRightPassword);
        postClick(hwnd, GetParam());
    });
    EXPECT_EQ(dialog->doModal(nullptr), GetParam());
    ASSERT_TRUE(script.ran());
    EXPECT_TRUE(g_fieldDestroyed);
    EXPECT_EQ(g_textAtDestroy, L"");
}

INSTANTIATE_TEST_SUITE_P(Buttons, PasswordEndTest, ::testing::Values(IDOK, IDCANCEL),
                         [](const auto& info) { return std::string(info.param == IDOK ? "Ok" : "Cancel"); });

// --- The secret-question dialog ---

TEST(SecretQuestionDialogTest, CaptionLabelsAndTabOrder)
{
    CSecretQuestionDialog dialog;
    ASSERT_TRUE(dialog.createModeless(nullptr));
    HWND hwnd = dialog.hwnd();
    EXPECT_EQ(textOf(hwnd), L"Lockbox upgrade required");
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(labelOf(hwnd, IDC_QUESTION_FIELD), L"Secret &question:");
    EXPECT_EQ(labelOf(hwnd, IDC_ANSWER_FIELD), L"&Answer:");
    EXPECT_EQ(tabOrder(hwnd, IDC_QUESTION_FIELD), (std::vector<int>{IDC_QUESTION_FIELD, IDC_ANSWER_FIELD, IDOK, IDCANCEL}));
    EXPECT_EQ(LOWORD(SendMessageW(hwnd, DM_GETDEFID, 0, 0)), IDOK);
}

struct QuestionCase {
    const char* name;
    const wchar_t* question;
    const wchar_t* answer;
    const wchar_t* box; // null: accepted
    int focused;        // the field that has the focus after the box
    const wchar_t* keptQuestion;
    const wchar_t* keptAnswer;
};

void PrintTo(const QuestionCase& c, std::ostream* out) { *out << c.name; }

class SecretQuestionOkTest : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(SecretQuestionOkTest, OkRefusesWithABoxOrKeepsTheQuestionAndAnswer)
{
    const QuestionCase& c = GetParam();
    CMessageBoxCapture capture;
    CSecretQuestionDialog dialog;
    bool stayed = false;
    CModalScript script(IDC_QUESTION_FIELD, [&](HWND hwnd) {
        EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, IDC_QUESTION_FIELD)) << "the question is typed first";
        spyOn(GetDlgItem(hwnd, IDC_ANSWER_FIELD));
        SetDlgItemTextW(hwnd, IDC_QUESTION_FIELD, c.question);
        SetDlgItemTextW(hwnd, IDC_ANSWER_FIELD, c.answer);
        focus(hwnd, IDOK);
        click(hwnd, IDOK);
        if (!c.box)
            return;
        stayed = IsWindowVisible(hwnd) != FALSE;
        HWND field = GetDlgItem(hwnd, c.focused);
        EXPECT_EQ(GetFocus(), field);
        EXPECT_TRUE(allSelected(field));
        EXPECT_EQ(LOWORD(SendMessageW(hwnd, DM_GETDEFID, 0, 0)), IDOK);
        postClick(hwnd, IDCANCEL);
    });

    const INT_PTR result = dialog.doModal(nullptr);
    ASSERT_TRUE(script.ran());
    const std::vector<CapturedBox> boxes = capture.boxes();
    EXPECT_EQ(g_textAtDestroy, L"") << "the answer's edit is emptied before it goes";
    if (c.box) {
        EXPECT_TRUE(stayed) << "a refusal leaves the dialog up";
        EXPECT_EQ(result, IDCANCEL);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.box);
        EXPECT_EQ(boxes[0].caption, kTitle);
        EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONINFORMATION));
    } else {
        EXPECT_EQ(result, IDOK);
        EXPECT_TRUE(boxes.empty());
    }
    EXPECT_EQ(dialog.question(), c.keptQuestion);
    EXPECT_EQ(dialog.answer(), c.keptAnswer);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, SecretQuestionOkTest,
    ::testing::Values(
        QuestionCase{"EmptyQuestion", L"", L"Rex", kEmptyQuestion, IDC_QUESTION_FIELD, L"", L""},
        QuestionCase{"BlankQuestion", L"  \t  ", L"Rex", kEmptyQuestion, IDC_QUESTION_FIELD, L"", L""},
        QuestionCase{"BothEmptyQuestionFirst", L"", L"", kEmptyQuestion, IDC_QUESTION_FIELD, L"", L""},
        QuestionCase{"EmptyAnswer", L"First pet?", L"", kEmptyAnswer, IDC_ANSWER_FIELD, L"", L""},
        QuestionCase{"TrailingBlanksTrimmed", L"Name of my first pet? \t ", L"Rex", nullptr, 0,
                     L"Name of my first pet?", L"Rex"},
        QuestionCase{"LeadingBlanksAndTheAnswerKept", L"  Town of birth", L" Lyon ", nullptr, 0, L"  Town of birth",
                     L" Lyon "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SecretQuestionDialogTest, CancelKeepsNothing)
{
    CMessageBoxCapture capture;
    CSecretQuestionDialog dialog;
    CModalScript script(IDC_QUESTION_FIELD, [&](HWND hwnd) {
        SetDlgItemTextW(hwnd, IDC_QUESTION_FIELD, L"First pet?");
        SetDlgItemTextW(hwnd, IDC_ANSWER_FIELD, L"Rex");
        postClick(hwnd, IDCANCEL);
    });
    EXPECT_EQ(dialog.doModal(nullptr), IDCANCEL);
    EXPECT_TRUE(script.ran());
    EXPECT_EQ(dialog.question(), L"");
    EXPECT_EQ(dialog.answer(), L"");
    EXPECT_TRUE(capture.boxes().empty());
}

} // namespace
