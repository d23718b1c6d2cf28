#pragma once
// Runs a property sheet or a wizard of CPropertyPage objects, modally. A wizard is in the
// Wizard97 style, with an optional watermark (welcome and finish pages) and header bitmap
// from the module's resources.

#include "CPropertyPage.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

class CPropertySheet {
public:
    explicit CPropertySheet(std::wstring caption, HINSTANCE resources = nullptr);
    virtual ~CPropertySheet() = default;
    CPropertySheet(const CPropertySheet&) = delete;
    CPropertySheet& operator=(const CPropertySheet&) = delete;

    // Pages in the order shown; they must outlive doModal.
    void addPage(CPropertyPage& page) { m_pages.push_back(&page); }
    // A Wizard97 wizard; 0 leaves a bitmap out.
    void setWizard(UINT watermarkBitmap = 0, UINT headerBitmap = 0);
    // A settings sheet without the Apply button.
    void setNoApplyButton(bool none) { m_noApply = none; }
    void setStartPage(UINT index) { m_startPage = index; }

    // Positive when the sheet was closed with OK or Finish, or with Cancel after an Apply
    // (changes were saved); 0 on Cancel without a saved change; -1 when it could not be
    // shown.
    INT_PTR doModal(HWND parent);
    // The sheet's window while doModal runs.
    HWND hwnd() const { return m_hwnd; }

protected:
    // The sheet window exists and its first page is being created.
    virtual void onInitialized() {}

private:
    static int CALLBACK sheetCallback(HWND hwnd, UINT message, LPARAM lParam);

    std::wstring m_caption;
    HINSTANCE m_resources;
    std::vector<CPropertyPage*> m_pages;
    bool m_wizard = false;
    bool m_noApply = false;
    UINT m_watermark = 0;
    UINT m_header = 0;
    UINT m_startPage = 0;
    HWND m_hwnd = nullptr;
};
