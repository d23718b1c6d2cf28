#pragma once
// The update's part of the main window: the "Application Update" question and, while a file
// comes, a small window with a progress bar. The worker that runs the update asks for these
// with messages, so that every window belongs to the user-interface thread.

#include "CDialog.h"

#include <windows.h>

#include <memory>

class CDownloadProgress : public CDialog {
public:
    CDownloadProgress();
    void setPercent(int percent);
    int percent() const { return m_percent; }

protected:
    bool onInitDialog() override;
    bool onCommand(UINT id, UINT code, HWND control) override;

private:
    int m_percent = 0;
};

class CUpdateUi {
public:
    // WM_UPDATE_OFFER: dialog 139, modal to `owner`; IDOK or IDCANCEL.
    LRESULT offer(HWND owner);
    // WM_DOWNLOAD_PROGRESS: the progress window appears with the first step.
    void onProgress(HWND owner, WPARAM percent);
    // WM_DOWNLOAD_FINISHED: the progress window goes.
    void onFinished();
    // The open progress window, if any.
    HWND progressWindow() const;

private:
    std::unique_ptr<CDownloadProgress> m_progress;
};
