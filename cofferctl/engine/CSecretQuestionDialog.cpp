#include "CSecretQuestionDialog.h"

#include "ResourceString.h"
#include "SecretText.h"
#include "resource.h"

#include <cwctype>

namespace {

void trimRight(std::wstring& text)
{
    size_t end = text.size();
    while (end > 0 && std::iswspace(text[end - 1]))
        --end;
    text.erase(end);
}
} // namespace

CSecretQuestionDialog::CSecretQuestionDialog()
    : CDialog(IDD_SECRET_QUESTION)
{
}

CSecretQuestionDialog::~CSecretQuestionDialog()
{
    // A modeless dialog still has its window here; CDialog destroys it without our WM_DESTROY.
    if (hwnd() && IsWindow(hwnd()))
        clearAnswerField();
    wipeText(m_question);
    wipeText(m_answer);
}

bool CSecretQuestionDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    // The answer opens the lockbox as the password does: it does not stay in the edit's buffer.
    if (message == WM_DESTROY)
        clearAnswerField();
    return CDialog::onMessage(message, wParam, lParam, result);
}

bool CSecretQuestionDialog::onInitDialog()
{
    // It follows the password prompt, which takes the foreground for itself: once that prompt
    // has gone the foreground may be another program's, and this dialog must not open behind it.
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd());
    // The system puts the focus on the first tab stop: the question.
    return true;
}

bool CSecretQuestionDialog::onCommand(UINT id, UINT code, HWND control)
{
    switch (id) {
    case IDOK:
        onOk();
        return true;
    case IDCANCEL:
        endDialog(IDCANCEL);
        return true;
    }
    return CDialog::onCommand(id, code, control);
}

void CSecretQuestionDialog::onOk()
{
    std::wstring question = fieldText(IDC_QUESTION_FIELD);
    trimRight(question);
    if (question.empty()) {
        refuse(IDS_EMPTY_QUESTION, IDC_QUESTION_FIELD);
        return;
    }
    std::wstring answer = fieldText(IDC_ANSWER_FIELD);
    if (answer.empty()) {
        wipeText(question);
        refuse(IDS_EMPTY_ANSWER, IDC_ANSWER_FIELD);
        return;
    }
    // Copies, then the locals wiped: moving a short string would leave its characters behind.
    m_question.assign(question);
    m_answer.assign(answer);
    wipeText(question);
    wipeText(answer);
    endDialog(IDOK);
}

void CSecretQuestionDialog::refuse(UINT textId, int fieldId)
{
    MessageBoxW(hwnd(), loadString(textId).c_str(), loadString(IDS_VAULT_TITLE).c_str(), MB_OK | MB_ICONINFORMATION);
    // Through the dialog manager, so the default button follows the focus; it also selects the
    // edit's text.
    SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(fieldId)), TRUE);
}

std::wstring CSecretQuestionDialog::fieldText(int id) const { return editText(item(id)); }

void CSecretQuestionDialog::clearAnswerField() { clearEdit(item(IDC_ANSWER_FIELD)); }
