#pragma once
// The password prompt (171): asks for a lockbox's password, or for the password that guards a
// feature. The caller's acceptance function checks what was typed; the dialog ends with IDOK
// only once it accepts.

#include "CDialog.h"
#include "UniqueHandle.h"

#include <functional>
#include <string>

class CPasswordDialog : public CDialog {
public:
    enum class Mode {
        Lockbox, // "Enter password for '<lockbox>'", with Help
        Feature  // a feature's password, without Help
    };
    // May do more than compare (unlock the lockbox, for one); true accepts the password.
    using Acceptance = std::function<bool(const std::wstring& password)>;

    CPasswordDialog(Mode mode, std::wstring lockboxName, Acceptance accept);
    ~CPasswordDialog() override;

    // The accepted password; empty unless the dialog ended with IDOK.
    const std::wstring& password() const { return m_password; }

protected:
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool onInitDialog() override;
    bool onCommand(UINT id, UINT code, HWND control) override;

private:
    void setHeadingFont();
    void hideHelp();
    void onOk();
    void inform(UINT textId);
    void selectField();
    std::wstring fieldText() const;
    void clearField();

    Mode m_mode;
    std::wstring m_lockboxName;
    Acceptance m_accept;
    std::wstring m_password;
    CGdiObject m_headingFont;
};
