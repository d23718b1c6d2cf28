#include "CDialog.h"

#include "CModule.h"

CDialog::CDialog(UINT templateId, HINSTANCE resources)
    : m_templateId(templateId), m_resources(resources ? resources : CModule::instance())
{
}

CDialog::~CDialog()
{
    if (m_hwnd && IsWindow(m_hwnd) && !m_modal) {
        SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        HWND hwnd = m_hwnd;
        m_hwnd = nullptr;
        DestroyWindow(hwnd);
    }
}

INT_PTR CDialog::doModal(HWND parent)
{
    m_modal = true;
    return DialogBoxParamW(m_resources, MAKEINTRESOURCEW(m_templateId), parent, &CDialog::dialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool CDialog::createModeless(HWND parent)
{
    m_modal = false;
    return CreateDialogParamW(m_resources, MAKEINTRESOURCEW(m_templateId), parent, &CDialog::dialogProc,
                              reinterpret_cast<LPARAM>(this))
        != nullptr;
}

void CDialog::endDialog(INT_PTR result)
{
    if (!m_hwnd)
        return;
    if (m_modal)
        EndDialog(m_hwnd, result);
    else
        DestroyWindow(m_hwnd);
}

bool CDialog::onCommand(UINT id, UINT, HWND)
{
    if (m_modal && (id == IDOK || id == IDCANCEL)) {
        endDialog(id);
        return true;
    }
    return false;
}

bool CDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_INITDIALOG:
        result = onInitDialog() ? TRUE : FALSE;
        return true;
    case WM_COMMAND:
        result = 0;
        return onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    }
    return false;
}

INT_PTR CALLBACK CDialog::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* self = message == WM_INITDIALOG ? reinterpret_cast<CDialog*>(lParam) : nullptr;
    return dispatch(self, hwnd, message, wParam, lParam);
}

INT_PTR CDialog::dispatch(CDialog* arriving, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* self = arriving;
    if (self) {
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;

    INT_PTR result = FALSE;
    bool handled = false;
    try {
        handled = self->onMessage(message, wParam, lParam, result);
    } catch (...) {
        handled = true; // nothing may cross into the dialog manager
        result = FALSE;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hwnd = nullptr;
        self->onFinalMessage();
    }
    if (!handled)
        return FALSE;
    return dialogProcResult(hwnd, message, result);
}

INT_PTR dialogProcResult(HWND hwnd, UINT message, INT_PTR result)
{
    // Dialog procedures return message results through DWLP_MSGRESULT, except for the
    // messages whose result is the procedure's own return value.
    switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return result;
    }
    if (message != WM_COMMAND)
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
