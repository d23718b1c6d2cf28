// Shows the update's question ("offer") or its progress window ("progress") for
// scripts/screenshots. Test code; it never ships.
//
//   update_showcase.exe offer|progress
//
// Works in the current folder: writes "ready" once the window is on the screen, ends when a
// file "stop" appears (or after two minutes), and writes "ended" as it ends.

#include "ShowcaseSignal.h"
#include "CMessageWindow.h"
#include "CUpdateUi.h"

#include <string>

namespace {

// While the modal question runs, its own loop dispatches this timer.
void CALLBACK watch(HWND, UINT, UINT_PTR, DWORD)
{
    static int ticks = 0;
    if (++ticks == 10)
        showcase::signal(L"ready");
    if (showcase::stopAsked()) {
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
        showcase::signal(L"ready");
        CMessageWindow::pumpUntil([] { return showcase::stopAsked(); }, 120000);
        ui.onFinished();
    } else {
        SetTimer(nullptr, 0, 100, watch);
        ui.offer(owner.hwnd());
    }
    showcase::signal(L"ended");
    return 0;
}
