#include "CPropertySheet.h"

#include "CModule.h"

namespace {
// PropertySheetW's callback gets no user data: the sheet being started is handed over here.
// Sheets are modal and run on user-interface threads, one at a time per thread.
thread_local CPropertySheet* t_starting = nullptr;
} // namespace

CPropertySheet::CPropertySheet(std::wstring caption, HINSTANCE resources)
    : m_caption(std::move(caption)), m_resources(resources ? resources : CModule::instance())
{
}

void CPropertySheet::setWizard(UINT watermarkBitmap, UINT headerBitmap)
{
    m_wizard = true;
    m_watermark = watermarkBitmap;
    m_header = headerBitmap;
}

INT_PTR CPropertySheet::doModal(HWND parent)
{
    std::vector<HPROPSHEETPAGE> pages;
    for (CPropertyPage* page : m_pages) {
        page->forgetApplied();
        PROPSHEETPAGEW descriptor = page->descriptor();
        if (!m_wizard)
            descriptor.dwFlags &= ~(PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE | PSP_HIDEHEADER);
        HPROPSHEETPAGE created = CreatePropertySheetPageW(&descriptor);
        if (!created) {
            for (HPROPSHEETPAGE made : pages)
                DestroyPropertySheetPage(made);
            return -1;
        }
        pages.push_back(created);
    }

    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_USECALLBACK;
    header.hwndParent = parent;
    header.hInstance = m_resources;
    header.pszCaption = m_caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = m_startPage;
    header.phpage = pages.data();
    header.pfnCallback = &CPropertySheet::sheetCallback;
    if (m_wizard) {
        header.dwFlags |= PSH_WIZARD97;
        if (m_watermark) {
            header.dwFlags |= PSH_WATERMARK;
            header.pszbmWatermark = MAKEINTRESOURCEW(m_watermark);
        }
        if (m_header) {
            header.dwFlags |= PSH_HEADER;
            header.pszbmHeader = MAKEINTRESOURCEW(m_header);
        }
    } else if (m_noApply) {
        header.dwFlags |= PSH_NOAPPLYNOW;
    }

    CPropertySheet* outer = t_starting;
    t_starting = this;
    // The sheet owns the pages from here on, even when it fails.
    INT_PTR result = PropertySheetW(&header);
    t_starting = outer;
    m_hwnd = nullptr;
    // A sheet closed with Cancel after Apply has saved changes: Windows answers a positive
    // value then, Wine's comctl32 answers 0.
    if (result == 0) {
        for (const CPropertyPage* page : m_pages)
            if (page->applied())
                return 1;
    }
    return result;
}

int CALLBACK CPropertySheet::sheetCallback(HWND hwnd, UINT message, LPARAM)
{
    if (message == PSCB_INITIALIZED && t_starting) {
        CPropertySheet* self = t_starting;
        self->m_hwnd = hwnd;
        try {
            self->onInitialized();
        } catch (...) {
            // Nothing may cross into the sheet's own code.
        }
    }
    return 0;
}
