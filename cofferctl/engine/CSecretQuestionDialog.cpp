#include "CSecretQuestionDialog.h"

#include "ResourceString.h"
#include "resource.h"

#include <cwctype>

namespace {
void wipe(std::wstring& text)
{
    if (!text.empty())
        SecureZeroMemory(&text[0], text.size() * sizeof(wchar_t));
    text.clear();
}

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
    wipe(m_question);
    wipe(m_answer);
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
        wipe(question);
        refuse(IDS_EMPTY_ANSWER, IDC_ANSWER_FIELD);
        return;
    }
    // Copies, then the locals wiped: moving a short string would leave its characters behind.
    m_question.assign(question);
    m_answer.assign(answer);
    wipe(question);
    wipe(answer);
    endDialog(IDOK);
}

void CSecretQuestionDialog::refuse(UINT textId, int fieldId)
{
    MessageBoxW(hwnd(), loadString(textId).c_str(), loadString(IDS_VAULT_TITLE).c_str(), MB_OK | MB_ICONINFORMATION);
    // Through the dialog manager, so the default button follows the focus; it also selects the
    // edit's text.
    SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(fieldId)), TRUE);
}

std::wstring CSecretQuestionDialog::fieldText(int id) const
{
    HWND field = item(id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(field, &text[0], static_cast<int>(text.size()))));
    return text;
}

void CSecretQuestionDialog::clearAnswerField()
{
    HWND field = item(IDC_ANSWER_FIELD);
    const int length = GetWindowTextLengthW(field);
    if (length <= 0)
        return;
    // A text of the same length is written over the old one in the edit's buffer; an empty
    // text alone would only move the end of the text.
    SetWindowTextW(field, std::wstring(static_cast<size_t>(length), L'*').c_str());
    SetWindowTextW(field, L"");
}
