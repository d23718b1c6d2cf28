#pragma once
// "remove" and "uninstall": the outside installer's uninstall program "uninst.exe" in the
// Windows folder, started with the de-installation log "DeIsL1.isu" from the program's
// folder. A missing file is named in a message box; an older version of the program that
// still runs is asked to end first.

#include <windows.h>

#include <string>

class CUninstaller {
public:
    // `caption` titles the message boxes, shown over `owner`.
    CUninstaller(std::wstring programFolder, HWND owner, std::wstring caption);

    void run() const;

private:
    void showMessage(const std::wstring& text) const;

    std::wstring m_programFolder;
    HWND m_owner;
    std::wstring m_caption;
};
