#pragma once
// One page of a property sheet or wizard: a dialog from a template that the sheet creates.
// The page binds to its object through PROPSHEETPAGE.lParam, which the page's WM_INITDIALOG
// receives by pointer, and maps the sheet's notifications to virtual handlers. A page edits
// a copy of its data and commits it in onApply (a settings sheet) or onWizardFinish (a
// wizard).

#include "CDialog.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId, HINSTANCE resources = nullptr) : CDialog(templateId, resources) {}

    // The Wizard97 header of an interior page; a page without one (welcome, finish) shows the
    // watermark instead.
    void setHeader(std::wstring title, std::wstring subtitle);
    void setHideHeader(bool hide) { m_hideHeader = hide; }

    // The descriptor the sheet copies; its texts stay with this object.
    PROPSHEETPAGEW descriptor() const;

    HWND sheet() const { return hwnd() ? GetParent(hwnd()) : nullptr; }
    // The page committed its data in the sheet's last run.
    bool applied() const { return m_applied; }
    void forgetApplied() { m_applied = false; }

protected:
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    // False refuses the activation: the sheet goes on to the next page in its direction.
    virtual bool onSetActive() { return true; }
    // False keeps the page: its data is not valid.
    virtual bool onKillActive() { return true; }
    // Commit the page's copy; false keeps the sheet open on this page.
    virtual bool onApply() { return true; }
    // Cancel was pressed: the copy is dropped.
    virtual void onReset() {}
    // 0 goes to the neighbouring page, -1 stays, a template id jumps to that page.
    virtual LRESULT onWizardNext() { return 0; }
    virtual LRESULT onWizardBack() { return 0; }
    // False keeps the wizard open.
    virtual bool onWizardFinish() { return true; }
    // False refuses the cancel.
    virtual bool onQueryCancel() { return true; }

    // Enables the sheet's Apply button (PSM_CHANGED) or takes that back (PSM_UNCHANGED).
    void setModified(bool modified = true);
    // PSWIZB_BACK, PSWIZB_NEXT, PSWIZB_FINISH, PSWIZB_DISABLEDFINISH.
    void setWizardButtons(DWORD buttons);

private:
    static INT_PTR CALLBACK pageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool onNotify(const NMHDR& header, INT_PTR& result);

    std::wstring m_headerTitle;
    std::wstring m_headerSubtitle;
    bool m_hideHeader = false;
    bool m_applied = false;
};
