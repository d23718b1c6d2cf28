#pragma once
// A dialog from a resource template, modal or modeless, bound to its object on
// WM_INITDIALOG. Messages go through the virtual onMessage; returning true marks one handled.

#include <windows.h>

// What a dialog procedure returns for a message it handled with `result`.
INT_PTR dialogProcResult(HWND hwnd, UINT message, INT_PTR result);

class CDialog {
public:
    explicit CDialog(UINT templateId, HINSTANCE resources = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // The dialog's end code, or -1 when it could not be created.
    INT_PTR doModal(HWND parent);
    // A modeless dialog; the message loop must give it IsDialogMessage.
    bool createModeless(HWND parent);

    HWND hwnd() const { return m_hwnd; }
    void endDialog(INT_PTR result);

protected:
    // Return true when the message is handled; `result` is what the procedure returns.
    virtual bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    // WM_INITDIALOG; return true to let the system set the focus.
    virtual bool onInitDialog() { return true; }
    // WM_COMMAND; OK and Cancel end a modal dialog unless handled.
    virtual bool onCommand(UINT id, UINT code, HWND control);
    // After WM_NCDESTROY.
    virtual void onFinalMessage() {}

    HWND item(int id) const { return GetDlgItem(m_hwnd, id); }
    UINT templateId() const { return m_templateId; }
    HINSTANCE resources() const { return m_resources; }

    // The dialog procedure's work once the object is known: `arriving` is the object a
    // WM_INITDIALOG brings (bound to the window then), null for every other message.
    static INT_PTR dispatch(CDialog* arriving, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HINSTANCE m_resources;
    HWND m_hwnd = nullptr;
    bool m_modal = false;
};
