#pragma once
// The Confirm Message dialog (template 112): a question with two buttons and a "Do not show
// this message next time" check box. `type` takes a message box's icon and button bits
// (MB_ICONQUESTION | MB_YESNO, ...); the result is 1 for the first button and 2 for the
// second, Escape or closing the window.

#include "CDialog.h"

#include <windows.h>

#include <string>

class CConfirmMessageDialog : public CDialog {
public:
    static constexpr INT_PTR kFirst = 1;
    static constexpr INT_PTR kSecond = 2;

    CConfirmMessageDialog(std::wstring text, UINT type);

    // The check box as it was when the dialog ended.
    bool dontShowAgain() const { return m_dontShowAgain; }

protected:
    bool onInitDialog() override;
    bool onCommand(UINT id, UINT code, HWND control) override;

private:
    void showIcon();
    void labelButtons();
    // Grows the text area, and the dialog with it, until the whole message shows.
    void fitText();
    void finish(INT_PTR result);

    std::wstring m_text;
    UINT m_type;
    bool m_dontShowAgain = false;
};
