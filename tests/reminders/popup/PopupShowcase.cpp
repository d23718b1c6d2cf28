// Puts two stacked reminder pop-ups on the screen for screenshots: at the Wine desktop's
// bottom taskbar, or with "top" at a taskbar window of our own on the top edge. Test code; it
// never ships.
//
//   reminder_popup_showcase.exe [top]
//
// Works in the current folder: writes "ready" once both pop-ups are out, ends when a file
// "stop" appears (or after two minutes), and writes "ended" as it ends.

#include "ShowcaseSignal.h"
#include "CFakeTaskbar.h"
#include "CPopupTestHost.h"

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char** argv)
{
    const bool top = argc > 1 && std::strcmp(argv[1], "top") == 0;
    if (!CMessageWindow::pumpUntil([] { return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }, 15000)) {
        std::fprintf(stderr, "no taskbar\n");
        return 1;
    }
    std::unique_ptr<CFakeTaskbar> fake;
    if (top)
        fake = std::make_unique<CFakeTaskbar>(CFakeTaskbar::alongTop());

    CPopupTestHost host;
    const int first = host.popups.show(L"Stand-up meeting in room 4", L"", 0);
    const int second = host.popups.show(
        L"Call the garage about the winter tyres and ask whether Thursday morning still suits them", L"", 0);
    if (first < 0 || second < 0) {
        std::fprintf(stderr, "no pop-up\n");
        return 1;
    }
    CMessageWindow::pumpUntil(
        [&] { return !host.popup(first).sliding() && !host.popup(second).sliding(); }, 20000);
    // Time for the last paint to reach the screen.
    CMessageWindow::pumpFor(500);
    showcase::signal(L"ready");
    CMessageWindow::pumpUntil([] { return showcase::stopAsked(); }, 120000);
    host.popups.closeAll();
    showcase::signal(L"ended");
    return 0;
}
