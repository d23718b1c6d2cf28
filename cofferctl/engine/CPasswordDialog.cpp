#include "CPasswordDialog.h"

#include "GdiScope.h"
#include "ResourceString.h"
#include "SecretText.h"
#include "resource.h"

namespace {
constexpr int kHeadingPoints = 10;

RECT rectIn(HWND dialog, HWND control)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
} // namespace

CPasswordDialog::CPasswordDialog(Mode mode, std::wstring lockboxName, Acceptance accept)
    : CDialog(IDD_PASSWORD), m_mode(mode), m_lockboxName(std::move(lockboxName)), m_accept(std::move(accept))
{
}

CPasswordDialog::~CPasswordDialog()
{
    // A modeless dialog still has its window here; CDialog destroys it without our WM_DESTROY.
    if (hwnd() && IsWindow(hwnd()))
        clearField();
    wipeText(m_password);
}

bool CPasswordDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    // The edit's own buffer would otherwise go back to the heap with the password in it.
    if (message == WM_DESTROY)
        clearField();
    return CDialog::onMessage(message, wParam, lParam, result);
}

bool CPasswordDialog::onInitDialog()
{
    SetWindowTextW(hwnd(), loadString(IDS_VAULT_TITLE).c_str());
    setHeadingFont();
    const std::wstring heading = m_mode == Mode::Lockbox ? substituteString(IDS_ENTER_PASSWORD_FOR, {m_lockboxName})
                                                         : loadString(IDS_ENTER_FEATURE_PASSWORD);
    SetDlgItemTextW(hwnd(), IDC_PASSWORD_HEADING, heading.c_str());
    if (m_mode == Mode::Feature)
        hideHelp();

    // The prompt may come from the tray or from a program's request, with no window of ours
    // in front: it must not open behind the window the user is looking at.
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd());
    // The system puts the focus on the first tab stop: the field.
    return true;
}

void CPasswordDialog::setHeadingFont()
{
    LOGFONTW face{};
    {
        CWindowDc dc(hwnd());
        const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
        face.lfHeight = -MulDiv(kHeadingPoints, dpi, 72);
    }
    face.lfWeight = FW_BOLD;
    face.lfCharSet = DEFAULT_CHARSET;
    face.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(face.lfFaceName, L"Tahoma", LF_FACESIZE);
    m_headingFont.reset(CreateFontIndirectW(&face));
    if (m_headingFont)
        SendDlgItemMessageW(hwnd(), IDC_PASSWORD_HEADING, WM_SETFONT,
                            reinterpret_cast<WPARAM>(m_headingFont.get()), FALSE);
}

void CPasswordDialog::hideHelp()
{
    // OK and Cancel take the places of Cancel and Help, so the row still ends at the right.
    HWND help = item(IDC_PASSWORD_HELP);
    const RECT helpRect = rectIn(hwnd(), help);
    const RECT cancelRect = rectIn(hwnd(), item(IDCANCEL));
    const int shift = helpRect.left - cancelRect.left;
    ShowWindow(help, SW_HIDE);
    for (int id : {IDOK, IDCANCEL}) {
        const RECT rect = rectIn(hwnd(), item(id));
        SetWindowPos(item(id), nullptr, rect.left + shift, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool CPasswordDialog::onCommand(UINT id, UINT code, HWND control)
{
    switch (id) {
    case IDOK:
        onOk();
        return true;
    case IDCANCEL:
        endDialog(IDCANCEL);
        return true;
    case IDC_PASSWORD_HELP:
        if (code == BN_CLICKED) {
            inform(IDS_PASSWORD_HELP);
            selectField();
        }
        return true;
    }
    return CDialog::onCommand(id, code, control);
}

void CPasswordDialog::onOk()
{
    std::wstring candidate = fieldText();
    if (candidate.empty()) {
        inform(IDS_EMPTY_PASSWORD);
        selectField();
        return;
    }
    bool accepted = false;
    try {
        accepted = m_accept && m_accept(candidate);
    } catch (...) {
        wipeText(candidate);
        throw;
    }
    if (!accepted) {
        wipeText(candidate);
        inform(IDS_WRONG_PASSWORD);
        selectField();
        return;
    }
    // A copy, then the candidate wiped: moving a short string would leave its characters behind.
    m_password.assign(candidate);
    wipeText(candidate);
    endDialog(IDOK);
}

void CPasswordDialog::inform(UINT textId)
{
    MessageBoxW(hwnd(), loadString(textId).c_str(), loadString(IDS_VAULT_TITLE).c_str(), MB_OK | MB_ICONINFORMATION);
}

void CPasswordDialog::selectField()
{
    HWND field = item(IDC_PASSWORD_FIELD);
    SendMessageW(field, EM_SETSEL, 0, -1);
    // Through the dialog manager, so the default button follows the focus (SetFocus would leave
    // the button that was clicked looking like the default one).
    SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
}

std::wstring CPasswordDialog::fieldText() const { return editText(item(IDC_PASSWORD_FIELD)); }

void CPasswordDialog::clearField() { clearEdit(item(IDC_PASSWORD_FIELD)); }
