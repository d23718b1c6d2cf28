#include "CPropertyPage.h"

void CPropertyPage::setHeader(std::wstring title, std::wstring subtitle)
{
    m_headerTitle = std::move(title);
    m_headerSubtitle = std::move(subtitle);
}

PROPSHEETPAGEW CPropertyPage::descriptor() const
{
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.hInstance = resources();
    page.pszTemplate = MAKEINTRESOURCEW(templateId());
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
        SendMessageW(owner, modified ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(hwnd()), 0);
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

bool CPropertyPage::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_NOTIFY && onNotify(*reinterpret_cast<const NMHDR*>(lParam), result))
        return true;
    return CDialog::onMessage(message, wParam, lParam, result);
}

INT_PTR CALLBACK CPropertyPage::pageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A page's WM_INITDIALOG carries the sheet's copy of our PROPSHEETPAGE, whose lParam is
    // the object; from there on the page is served like any dialog.
    CPropertyPage* arriving = nullptr;
    if (message == WM_INITDIALOG)
        if (const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam))
            arriving = reinterpret_cast<CPropertyPage*>(page->lParam);
    return dispatch(arriving, hwnd, message, wParam, lParam);
}
