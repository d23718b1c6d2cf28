#include "CConfirmMessageDialog.h"

#include "CApplication.h"
#include "GdiScope.h"
#include "ResourceString.h"
#include "resource.h"

namespace {

// A child's rectangle in its dialog's client coordinates.
RECT childRect(HWND dialog, HWND child)
{
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void moveDown(HWND dialog, HWND child, int by)
{
    const RECT r = childRect(dialog, child);
    SetWindowPos(child, nullptr, r.left, r.top + by, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

CConfirmMessageDialog::CConfirmMessageDialog(std::wstring text, UINT type)
    : CDialog(IDD_CONFIRM_MESSAGE), m_text(std::move(text)), m_type(type)
{
}

bool CConfirmMessageDialog::onInitDialog()
{
    SetWindowTextW(hwnd(), loadString(kAppTitleStringId).c_str());
    SetDlgItemTextW(hwnd(), IDC_CONFIRM_TEXT, m_text.c_str());
    showIcon();
    labelButtons();
    fitText();
    // The first button has the focus, as in a message box, so that Enter and Space answer it
    // rather than tick the check box.
    SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(IDC_CONFIRM_FIRST)), TRUE);
    return false;
}

void CConfirmMessageDialog::showIcon()
{
    LPCWSTR icon = nullptr;
    switch (m_type & MB_ICONMASK) {
    case MB_ICONHAND:
        icon = IDI_HAND;
        break;
    case MB_ICONQUESTION:
        icon = IDI_QUESTION;
        break;
    case MB_ICONEXCLAMATION:
        icon = IDI_EXCLAMATION;
        break;
    case MB_ICONASTERISK:
        icon = IDI_ASTERISK;
        break;
    default:
        return; // the template's own icon stays
    }
    // The system's shared icons: nobody destroys them.
    SendDlgItemMessageW(hwnd(), IDC_CONFIRM_ICON, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, icon)), 0);
}

void CConfirmMessageDialog::labelButtons()
{
    UINT first = 0, second = 0;
    switch (m_type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        first = IDS_BUTTON_OK;
        second = IDS_BUTTON_CANCEL;
        break;
    case MB_YESNO:
        first = IDS_BUTTON_YES;
        second = IDS_BUTTON_NO;
        break;
    case MB_RETRYCANCEL:
        first = IDS_BUTTON_RETRY;
        second = IDS_BUTTON_CANCEL;
        break;
    default: {
        // One answer: the first button alone, in the middle.
        HWND button = item(IDC_CONFIRM_FIRST);
        ShowWindow(item(IDC_CONFIRM_SECOND), SW_HIDE);
        RECT client{};
        GetClientRect(hwnd(), &client);
        const RECT r = childRect(hwnd(), button);
        const int x = (client.right - (r.right - r.left)) / 2;
        SetWindowPos(button, nullptr, x, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    }
    SetDlgItemTextW(hwnd(), IDC_CONFIRM_FIRST, loadString(first).c_str());
    SetDlgItemTextW(hwnd(), IDC_CONFIRM_SECOND, loadString(second).c_str());
}

void CConfirmMessageDialog::fitText()
{
    HWND text = item(IDC_CONFIRM_TEXT);
    const RECT area = childRect(hwnd(), text);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;

    // Measured as the static control draws it: words wrapped, tabs expanded, "&" as itself.
    RECT needed{0, 0, width, 0};
    {
        CWindowDc dc(text);
        if (!dc)
            return;
        CSelectObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(text, WM_GETFONT, 0, 0)));
        DrawTextW(dc.get(), m_text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    }
    int grow = needed.bottom - height;
    if (grow <= 0) {
        // A line or two shorter than the icon stands level with its middle.
        const RECT icon = childRect(hwnd(), item(IDC_CONFIRM_ICON));
        const int below = ((icon.bottom - icon.top) - needed.bottom) / 2;
        if (below > 0)
            SetWindowPos(text, nullptr, area.left, icon.top + below, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }

    // No taller than the screen's work area: beyond that the text is cut rather than the
    // buttons pushed off the screen.
    RECT window{}, work{};
    GetWindowRect(hwnd(), &window);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int room = (work.bottom - work.top) - (window.bottom - window.top);
    if (grow > room)
        grow = room > 0 ? room : 0;
    if (grow == 0)
        return;

    SetWindowPos(text, nullptr, 0, 0, width, height + grow, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int id : {IDC_CONFIRM_DONT_SHOW, IDC_CONFIRM_FIRST, IDC_CONFIRM_SECOND})
        moveDown(hwnd(), item(id), grow);
    // Grown about its middle, so that a centred dialog stays centred, but kept on the screen.
    int top = window.top - grow / 2;
    if (top < work.top)
        top = work.top;
    if (top + (window.bottom - window.top) + grow > work.bottom)
        top = work.bottom - (window.bottom - window.top) - grow;
    SetWindowPos(hwnd(), nullptr, window.left, top, window.right - window.left, window.bottom - window.top + grow,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CConfirmMessageDialog::onCommand(UINT id, UINT code, HWND control)
{
    switch (id) {
    case IDC_CONFIRM_FIRST:
    case IDOK: // Enter where no button has the focus
        if (id == IDOK || code == BN_CLICKED)
            finish(kFirst);
        return true;
    case IDC_CONFIRM_SECOND:
        if (code == BN_CLICKED && (GetWindowLongW(item(IDC_CONFIRM_SECOND), GWL_STYLE) & WS_VISIBLE))
            finish(kSecond);
        return true;
    case IDCANCEL: // Escape, and closing the window
        finish(kSecond);
        return true;
    }
    return CDialog::onCommand(id, code, control);
}

void CConfirmMessageDialog::finish(INT_PTR result)
{
    m_dontShowAgain = IsDlgButtonChecked(hwnd(), IDC_CONFIRM_DONT_SHOW) == BST_CHECKED;
    endDialog(result);
}
