// Shows the vault's password prompt or secret-question dialog for screenshots. Test code; it
// never ships.
//
//   vault_prompts_showcase.exe lockbox|feature|question
//
// The fields get example text, so the shot shows how typed text fits. Works in the current
// folder: writes "ready" once the dialog is on the screen, ends it when a file "stop" appears
// (or after two minutes), and writes "ended" as it ends.

#include "CPasswordDialog.h"
#include "CSecretQuestionDialog.h"
#include "ShowcaseSignal.h"
#include "resource.h"

#include <string>

namespace {

CDialog* g_shown = nullptr;
std::wstring g_mode;

void fillIn(HWND dialog)
{
    if (g_mode == L"question") {
        SetDlgItemTextW(dialog, IDC_QUESTION_FIELD, L"What was the name of my first pet?");
        SetDlgItemTextW(dialog, IDC_ANSWER_FIELD, L"Rex");
        SendDlgItemMessageW(dialog, IDC_ANSWER_FIELD, EM_SETSEL, 3, 3);
    } else {
        SetDlgItemTextW(dialog, IDC_PASSWORD_FIELD, L"Opal-42");
        SendDlgItemMessageW(dialog, IDC_PASSWORD_FIELD, EM_SETSEL, 7, 7);
    }
}

// The modal loop dispatches this thread timer.
void CALLBACK watch(HWND, UINT, UINT_PTR, DWORD)
{
    static int ticks = 0;
    ++ticks;
    HWND dialog = g_shown ? g_shown->hwnd() : nullptr;
    if (ticks == 5 && dialog)
        fillIn(dialog);
    if (ticks == 10)
        showcase::signal(L"ready");
    if (((ticks > 10 && showcase::stopAsked()) || ticks > 1200) && dialog)
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

bool refuse(const std::wstring&) { return false; }

} // namespace

int wmain(int argc, wchar_t** argv)
{
    g_mode = argc > 1 ? argv[1] : L"lockbox";
    SetTimer(nullptr, 0, 100, watch);
    if (g_mode == L"question") {
        CSecretQuestionDialog question;
        g_shown = &question;
        question.doModal(nullptr);
    } else {
        const auto mode = g_mode == L"feature" ? CPasswordDialog::Mode::Feature : CPasswordDialog::Mode::Lockbox;
        CPasswordDialog password(mode, L"Taxes 2026", refuse);
        g_shown = &password;
        password.doModal(nullptr);
    }
    g_shown = nullptr;
    showcase::signal(L"ended");
    return 0;
}
