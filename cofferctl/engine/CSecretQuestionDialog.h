#pragma once
// The secret-question dialog (242): a lockbox made by an earlier version has no secret
// question, so opening it asks for a question and its answer (with which a forgotten password
// can be reset) before it goes on.

#include "CDialog.h"

#include <string>

class CSecretQuestionDialog : public CDialog {
public:
    CSecretQuestionDialog();
    ~CSecretQuestionDialog() override;

    // Once the dialog ended with IDOK: the question without trailing white space, and the
    // answer as typed.
    const std::wstring& question() const { return m_question; }
    const std::wstring& answer() const { return m_answer; }

protected:
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool onInitDialog() override;
    bool onCommand(UINT id, UINT code, HWND control) override;

private:
    void onOk();
    void refuse(UINT textId, int fieldId);
    std::wstring fieldText(int id) const;
    void clearAnswerField();

    std::wstring m_question;
    std::wstring m_answer;
};
