#include "CDialogAnswers.h"

#include "resource.h"

namespace {
CDialogAnswers* g_answer = nullptr; // the hook of this thread
}

CDialogAnswers::CDialogAnswers()
{
    g_answer = this;
    m_hook = SetWindowsHookExW(WH_CBT, &CDialogAnswers::hookProc, nullptr, GetCurrentThreadId());
}

CDialogAnswers::~CDialogAnswers()
{
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    g_answer = nullptr;
}

LRESULT CALLBACK CDialogAnswers::hookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_answer)
        g_answer->onActivate(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CDialogAnswers::onActivate(HWND dialog)
{
    // Activation comes again when a question box over the dialog closes: each dialog is
    // answered once.
    if (dialog == m_last)
        return;
    if (GetDlgItem(dialog, IDC_REMINDER_TEXT) && GetDlgItem(dialog, IDC_REMINDER_COUNTDOWN))
        answerReminder(dialog);
    else if (GetDlgItem(dialog, IDC_ZONE_CATALOGUE) && GetDlgItem(dialog, IDC_ZONE_NAME))
        answerZone(dialog);
    else if (GetDlgItem(dialog, IDC_CONFIRM_FIRST) && GetDlgItem(dialog, IDC_CONFIRM_DONT_SHOW))
        answerConfirm(dialog);
    else
        return;
    m_last = dialog;
    ++m_answered;
}

void CDialogAnswers::answerZone(HWND dialog)
{
    const ZoneAnswer answer = m_zone;
    m_zone = ZoneAnswer();
    if (answer.ok) {
        if (answer.catalogueIndex >= 0) {
            HWND combo = GetDlgItem(dialog, IDC_ZONE_CATALOGUE);
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(answer.catalogueIndex), 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ZONE_CATALOGUE, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
        }
        if (!answer.name.empty())
            SetDlgItemTextW(dialog, IDC_ZONE_NAME, answer.name.c_str());
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer.ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
}

void CDialogAnswers::answerConfirm(HWND dialog)
{
    const ConfirmAnswer answer = m_confirm;
    m_confirm = ConfirmAnswer();
    ++m_confirmations;
    CheckDlgButton(dialog, IDC_CONFIRM_DONT_SHOW, answer.dontShowAgain ? BST_CHECKED : BST_UNCHECKED);
    const int id = answer.first ? IDC_CONFIRM_FIRST : IDC_CONFIRM_SECOND;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void CDialogAnswers::answerReminder(HWND dialog)
{
    const Answer answer = m_answer;
    m_answer = Answer();
    if (answer.ok) {
        SetDlgItemTextW(dialog, IDC_REMINDER_TEXT, answer.text.c_str());
        if (answer.everyDays > 0) {
            CheckRadioButton(dialog, IDC_REMINDER_ONCE, IDC_REMINDER_EVERY, IDC_REMINDER_EVERY);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_REMINDER_EVERY, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_REMINDER_EVERY)));
            SetDlgItemInt(dialog, IDC_REMINDER_DAYS, static_cast<UINT>(answer.everyDays), FALSE);
        }
        if (answer.deleteWhenDone)
            CheckDlgButton(dialog, IDC_REMINDER_DELETE_DONE, BST_CHECKED);
        if (answer.countdown) {
            HWND radio = GetDlgItem(dialog, IDC_REMINDER_COUNTDOWN);
            CheckRadioButton(dialog, IDC_REMINDER_ABSOLUTE, IDC_REMINDER_COUNTDOWN, IDC_REMINDER_COUNTDOWN);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_REMINDER_COUNTDOWN, BN_CLICKED),
                         reinterpret_cast<LPARAM>(radio));
            SetDlgItemInt(dialog, IDC_REMINDER_HOURS, static_cast<UINT>(answer.hours), FALSE);
            SetDlgItemInt(dialog, IDC_REMINDER_MINUTES, static_cast<UINT>(answer.minutes), FALSE);
        }
    }
    // Posted, so the dialog has finished its start before it is answered.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer.ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
}
