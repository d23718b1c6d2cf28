#include "CUpdateUi.h"

#include "ResourceString.h"
#include "resource.h"

#include <commctrl.h>

#include <cwchar>

CDownloadProgress::CDownloadProgress() : CDialog(IDD_DOWNLOAD_PROGRESS) {}

bool CDownloadProgress::onInitDialog()
{
    SendDlgItemMessageW(hwnd(), IDC_DOWNLOAD_BAR, PBM_SETRANGE32, 0, 100);
    setPercent(0);
    return true;
}

// The window has no buttons; Escape or Enter must not end it while the file still comes.
bool CDownloadProgress::onCommand(UINT id, UINT, HWND) { return id == IDOK || id == IDCANCEL; }

void CDownloadProgress::setPercent(int percent)
{
    m_percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    SendDlgItemMessageW(hwnd(), IDC_DOWNLOAD_BAR, PBM_SETPOS, static_cast<WPARAM>(m_percent), 0);
    wchar_t text[128];
    swprintf(text, 128, loadString(IDS_DOWNLOADING).c_str(), m_percent);
    SetDlgItemTextW(hwnd(), IDC_DOWNLOAD_TEXT, text);
}

LRESULT CUpdateUi::offer(HWND owner)
{
    CDialog question(IDD_APP_UPDATE);
    return question.doModal(owner) == IDOK ? IDOK : IDCANCEL;
}

void CUpdateUi::onProgress(HWND owner, WPARAM percent)
{
    if (!m_progress) {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        auto window = std::make_unique<CDownloadProgress>();
        if (!window->createModeless(owner))
            return;
        m_progress = std::move(window);
    }
    m_progress->setPercent(static_cast<int>(percent));
}

void CUpdateUi::onFinished()
{
    if (m_progress && m_progress->hwnd())
        DestroyWindow(m_progress->hwnd());
    m_progress.reset();
}

HWND CUpdateUi::progressWindow() const { return m_progress ? m_progress->hwnd() : nullptr; }
