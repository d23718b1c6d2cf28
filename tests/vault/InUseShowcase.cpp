// The in-use dialog with its details and items shown over a stand-in system, for screenshots:
// writes "ready" in the current folder once shown, ends when "stop" appears, then writes "ended".

#include "CInUseDialog.h"
#include "CSystemHandlesStandIn.h"
#include "CVaultRegKey.h"
#include "CVaultSettings.h"

#include <windows.h>

#include <cstdio>

namespace {

void touch(const wchar_t* name)
{
    HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (GetFileAttributesW(L"stop") != INVALID_FILE_ATTRIBUTES)
        PostQuitMessage(0);
}

void addFile(CSystemHandlesStandIn& system, DWORD pid, USHORT handle, const std::wstring& name)
{
    CSystemHandlesStandIn::SHandle h;
    h.processId = pid;
    h.handle = handle;
    h.kernelName = name;
    h.fileName = name;
    system.addHandle(h);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const bool several = argc > 1 && std::wstring(argv[1]) == L"several";
    {
        CVaultRegKey key(vaultkeys::Settings);
        key.writeDword(L"PIDInfo", 1);
        key.writeDword(L"PIDItems", 1);
    }
    CSystemHandlesStandIn system;
    system.addProcess(100, L"C:\\Program Files\\Microsoft Office\\WINWORD.EXE");
    system.addProcess(200, L"C:\\windows\\notepad.exe");
    system.addProcess(300, L"C:\\windows\\explorer.exe");
    addFile(system, 100, 8, L"\\Device\\SDisk3\\Taxes 2026\\Return.doc");
    addFile(system, 100, 12, L"\\Device\\SDisk3\\Taxes 2026\\Receipts.doc");
    addFile(system, 200, 8, L"\\Device\\SDisk3\\notes.txt");
    addFile(system, 300, 8, L"\\Device\\SDisk3\\windows");

    std::vector<SOpenLockbox> lockboxes{SOpenLockbox{L"Taxes", L'C', 3}};
    if (several)
        lockboxes.push_back(SOpenLockbox{L"Photos", L'Q', 4});
    CInUseDialog dialog(CInUseDialog::Mode::Close, lockboxes, &system);
    if (!dialog.createModeless(nullptr))
        return 1;
    ShowWindow(dialog.hwnd(), SW_SHOW);
    UpdateWindow(dialog.hwnd());
    SetTimer(nullptr, 0, 100, &onTimer);
    // Paint before saying ready.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    Sleep(300);
    touch(L"ready");
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(dialog.hwnd(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    touch(L"ended");
    return 0;
}
