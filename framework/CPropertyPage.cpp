#include "CPropertyPage.h"

#include "CDialog.h"
#include "CModule.h"

CPropertyPage::CPropertyPage(UINT templateId, HINSTANCE resources)
    : m_templateId(templateId), m_resources(resources ? resources : CModule::instance())
{
}

void CPropertyPage::setHeader(std::wstring title, std::wstring subtitle)
{
    m_headerTitle = std::move(title);
    m_headerSubtitle = std::move(subtitle);
}

PROPSHEETPAGEW CPropertyPage::descriptor() const
{
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.hInstance = m_resources;
    page.pszTemplate = MAKEINTRESOURCEW(m_templateId);
    page.pfnDlgProc = &CPropertyPage::pageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    if (m_hideHeader)
        page.dwFlags |= PSP_HIDEHEADER;
    if (!m_headerTitle.empty()) {
        page.dwFlags |= PSP_USEHEADERTITLE;
        page.pszHeaderTitle = m_headerTitle.c_str();
    }
    if (!m_headerSubtitle.empty()) {
        page.dwFlags |= PSP_USEHEADERSUBTITLE;
        page.pszHeaderSubTitle = m_headerSubtitle.c_str();
    }
    return page;
}

void CPropertyPage::setModified(bool modified)
{
    if (HWND owner = sheet())
        SendMessageW(owner, modified ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hwnd), 0);
}

void CPropertyPage::setWizardButtons(DWORD buttons)
{
    if (HWND owner = sheet())
        SendMessageW(owner, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(buttons));
}

bool CPropertyPage::onNotify(const NMHDR& header, INT_PTR& result)
{
    switch (header.code) {
    case PSN_SETACTIVE:
        result = onSetActive() ? 0 : -1;
        return true;
    case PSN_KILLACTIVE:
        result = onKillActive() ? FALSE : TRUE;
        return true;
    case PSN_APPLY:
        if (onApply()) {
            m_applied = true;
            result = PSNRET_NOERROR;
        } else {
            result = PSNRET_INVALID_NOCHANGEPAGE;
        }
        return true;
    case PSN_RESET:
        onReset();
        result = 0;
        return true;
    case PSN_WIZNEXT:
        result = onWizardNext();
        return true;
    case PSN_WIZBACK:
        result = onWizardBack();
        return true;
    case PSN_WIZFINISH:
        result = onWizardFinish() ? FALSE : TRUE;
        return true;
    case PSN_QUERYCANCEL:
        result = onQueryCancel() ? FALSE : TRUE;
        return true;
    }
    return false;
}

INT_PTR CALLBACK CPropertyPage::pageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CPropertyPage* self = nullptr;
    if (message == WM_INITDIALOG) {
        // A page's WM_INITDIALOG carries the sheet's copy of our PROPSHEETPAGE, whose lParam
        // is the object.
        const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        self = page ? reinterpret_cast<CPropertyPage*>(page->lParam) : nullptr;
        if (self) {
            self->m_hwnd = hwnd;
            SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;

    INT_PTR result = FALSE;
    bool handled = false;
    try {
        switch (message) {
        case WM_INITDIALOG:
            result = self->onInitDialog() ? TRUE : FALSE;
            handled = true;
            break;
        case WM_COMMAND:
            handled = self->onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            break;
        case WM_NOTIFY:
            handled = self->onNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
            if (!handled)
                handled = self->onMessage(message, wParam, lParam, result);
            break;
        default:
            handled = self->onMessage(message, wParam, lParam, result);
            break;
        }
    } catch (...) {
        // Nothing may cross into the dialog manager; the message counts as handled.
        handled = true;
        result = FALSE;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hwnd = nullptr;
    }
    // The sheet reads a notification's answer from DWLP_MSGRESULT.
    return handled ? dialogProcResult(hwnd, message, result) : FALSE;
}
