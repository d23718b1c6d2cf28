#include "CReminderDialogAnswer.h"

#include "resource.h"

namespace {
CReminderDialogAnswer* g_answer = nullptr; // the hook of this thread
}

CReminderDialogAnswer::CReminderDialogAnswer()
{
    g_answer = this;
    m_hook = SetWindowsHookExW(WH_CBT, &CReminderDialogAnswer::hookProc, nullptr, GetCurrentThreadId());
}

CReminderDialogAnswer::~CReminderDialogAnswer()
{
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    g_answer = nullptr;
}

LRESULT CALLBACK CReminderDialogAnswer::hookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_answer)
        g_answer->onActivate(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CReminderDialogAnswer::onActivate(HWND dialog)
{
    // The Reminder dialog is the one with the reminder text box; activation comes again when
    // a question box closes, and the dialog is filled in only once.
    if (dialog == m_last || !GetDlgItem(dialog, IDC_REMINDER_TEXT) || !GetDlgItem(dialog, IDC_REMINDER_COUNTDOWN))
        return;
    m_last = dialog;
    ++m_answered;
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
