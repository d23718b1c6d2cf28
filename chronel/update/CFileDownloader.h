#pragma once
// Fetches one file over HTTP into a local file, with user agent "Orvel.Tempra", telling the
// main window how far it has come with WM_DOWNLOAD_PROGRESS (wParam percent, lParam the bytes
// of the last step).

#include "CHttpConnection.h"

#include <windows.h>

#include <string>

class CFileDownloader {
public:
    explicit CFileDownloader(HWND progressWindow = nullptr) : m_window(progressWindow) {}

    // Connects to the server of `root` (its path is kept for download). Fails, with a debug
    // line, while a connection is already open.
    bool connect(const std::wstring& root);
    // GETs `file` below the root's path into `localPath` (always a new file). A failed or
    // cut-off transfer leaves no file behind.
    bool download(const std::wstring& file, const std::wstring& localPath);

    // Bytes copied per read.
    static constexpr DWORD kStep = 4096;

private:
    void onStatus(DWORD status, const void* information, DWORD length);

    HWND m_window;
    CHttpConnection m_connection;
    unsigned long long m_total = 0;
    DWORD m_expected = 0;
};
