// Puts the time zone bar on the screen for screenshots, docked at the top (the default), at
// the bottom above the taskbar, or floating, against the Wine desktop's shell. Test code; it
// never ships.
//
//   zone_bar_showcase.exe [top|bottom|floating]
//
// Works in the current folder: writes "ready" once the bar stands in its place, ends when a
// file "stop" appears (or after two minutes), and writes "ended" as it ends. The page stays
// empty under Wine, which has no engine to draw it.

#include "CMessageWindow.h"
#include "CShellAppBar.h"
#include "CTimeZoneBar.h"
#include "ComTypes.h"
#include "ShowcaseSignal.h"
#include "ZoneBarSettings.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "top";
    AppBarState stored;
    if (std::strcmp(mode, "bottom") == 0)
        stored.edge = appbar::kBottom;
    else if (std::strcmp(mode, "floating") == 0)
        stored.edge = appbar::kFloating; // at its default place, twice the template's width
    else
        stored.edge = appbar::kTop;

    if (!CMessageWindow::pumpUntil([] { return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }, 15000)) {
        std::fprintf(stderr, "no taskbar\n");
        return 1;
    }
    COleInit ole;
    // Wine's taskbar reports itself auto-hidden; the bar stays in view for the picture.
    settings::write(settings::kTimeZoneBarAutoHide, false);
    settings::write(settings::kTimeZoneBarAlwaysOnTop, true);
    settings::writeBarState(stored);

    CShellAppBar shell;
    CTimeZoneBar bar(shell, nullptr, [](bool) {});
    if (!bar.open(nullptr)) {
        std::fprintf(stderr, "no bar\n");
        return 1;
    }
    CMessageWindow::pumpUntil([&] { return !bar.sliding(); }, 5000);
    // Time for the last paint to reach the screen.
    CMessageWindow::pumpFor(500);
    showcase::signal(L"ready");
    CMessageWindow::pumpUntil([] { return showcase::stopAsked(); }, 120000);
    bar.close(false);
    showcase::signal(L"ended");
    return 0;
}
