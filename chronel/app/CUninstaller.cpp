#include "CUninstaller.h"

#include "CMainWnd.h"
#include "ResourceString.h"
#include "UniqueHandle.h"
#include "resource.h"

namespace {

constexpr wchar_t kOldVersionMutex[] = L"OrvelTempra";
constexpr wchar_t kOldVersionTitle[] = L"Orvel.Tempra";

bool fileExists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

CUninstaller::CUninstaller(std::wstring programFolder, HWND owner, std::wstring caption)
    : m_programFolder(std::move(programFolder)), m_owner(owner), m_caption(std::move(caption))
{
}

void CUninstaller::showMessage(const std::wstring& text) const
{
    MessageBoxW(m_owner, text.c_str(), m_caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void CUninstaller::run() const
{
    const std::wstring log = m_programFolder + L"\\DeIsL1.isu";
    if (!fileExists(log)) {
        showMessage(formatString(IDS_NO_UNINSTALL_LOG, log.c_str()));
        return;
    }
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::wstring uninstaller = windows;
    if (uninstaller.empty() || uninstaller.back() != L'\\')
        uninstaller += L'\\';
    uninstaller += L"uninst.exe";
    if (!fileExists(uninstaller)) {
        showMessage(formatString(IDS_NO_UNINSTALLER, uninstaller.c_str()));
        return;
    }
    // An older version of the program that still runs is asked to end first.
    CHandle oldVersion(CreateMutexW(nullptr, TRUE, kOldVersionMutex));
    if (oldVersion && GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND old = FindWindowW(kMainWindowClass, kOldVersionTitle)) {
            SetForegroundWindow(old);
            PostMessageW(old, WM_APP_EXIT, 0, 0);
        }
    }
    std::wstring commandLine = L"\"" + uninstaller + L"\"" + formatText(L" -f\"%s\"", log.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_FORCEONFEEDBACK;
    // Not waited for: the handles just go.
    CProcessInformation process;
    CreateProcessW(uninstaller.c_str(), commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                   nullptr, &startup, process.put());
    if (oldVersion)
        ReleaseMutex(oldVersion.get());
}
