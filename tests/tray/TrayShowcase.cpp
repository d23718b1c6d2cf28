// Shows the tray icon, and a balloon of the given kind, for scripts/screenshots: a window that
// holds them as the main window does. Test code; it never ships.
//
//   tray_showcase.exe [kind]
//
// Works in the current folder: writes "ready" once everything is on the screen, ends when a
// file "stop" appears (or after two minutes), and writes "ended" as it ends.

#include "ShowcaseSignal.h"
#include "CMessageWindow.h"
#include "CTrayTestHost.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const wchar_t* textFor(WPARAM kind)
{
    switch (kind) {
    case kBalloonFailure:
        return L"The \"Documents\" lockbox could not be opened.";
    case kBalloonPartialSuccess:
        return L"Two of the three lockboxes were opened.";
    default:
        return L"The \"Documents\" lockbox was successfully opened.";
    }
}

} // namespace

int main(int argc, char** argv)
{
    const bool balloon = argc > 1;
    const WPARAM kind = balloon ? static_cast<WPARAM>(std::strtoul(argv[1], nullptr, 10)) : 0;

    if (!CMessageWindow::pumpUntil([] { return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }, 15000)) {
        std::fprintf(stderr, "no taskbar\n");
        return 1;
    }
    CTrayTestHost host(L"Orvel.Cofferix");
    if (!host.create() || !host.tray.isAdded()) {
        std::fprintf(stderr, "the tray icon could not be added\n");
        return 1;
    }
    CMessageWindow::pumpFor(500);
    if (balloon) {
        BalloonRequest request{L"Orvel.Cofferix", textFor(kind), 0, 0, 0, 0, nullptr};
        if (host.requestBalloon(kind, request) != 1) {
            std::fprintf(stderr, "no balloon\n");
            return 1;
        }
        std::printf("balloon at %ld,%ld\n", request.x, request.y);
    }
    // Time for the taskbar and the balloon to reach the screen.
    CMessageWindow::pumpFor(1000);
    showcase::signal(L"ready");
    CMessageWindow::pumpUntil([] { return showcase::stopAsked(); }, 120000);
    closeAllBalloons();
    host.destroy();
    showcase::signal(L"ended");
    return 0;
}
