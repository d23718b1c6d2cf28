// Shows the update's question ("offer") or its progress window ("progress") for
// scripts/screenshots. Test code; it never ships.
//
//   update_showcase.exe offer|progress
//
// Works in the current folder: writes "ready" once the window is on the screen, ends when a
// file "stop" appears (or after two minutes), and writes "ended" as it ends.

#include "CMessageWindow.h"
#include "CUpdateUi.h"

#include <string>

namespace {

bool fileExists(const wchar_t* name) { return GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES; }

void touch(const wchar_t* name)
{
    HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

// While the modal question runs, its own loop dispatches this timer.
void CALLBACK watch(HWND, UINT, UINT_PTR, DWORD)
{
    static int ticks = 0;
    if (++ticks == 10)
        touch(L"ready");
    if (fileExists(L"stop")) {
        if (HWND dialog = FindWindowW(L"#32770", L"Application Update"))
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"offer";
    CMessageWindow owner;
    CUpdateUi ui;
    if (mode == L"progress") {
        ui.onProgress(owner.hwnd(), 62);
        CMessageWindow::pumpFor(1000);
        touch(L"ready");
        CMessageWindow::pumpUntil([] { return fileExists(L"stop"); }, 120000);
        ui.onFinished();
    } else {
        SetTimer(nullptr, 0, 100, watch);
        ui.offer(owner.hwnd());
    }
    touch(L"ended");
    return 0;
}
