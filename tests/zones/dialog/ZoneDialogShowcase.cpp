// Shows the Time Zone dialog or the Confirm Message dialog for screenshots. Test code; it
// never ships.
//
//   zone_dialog_showcase.exe new|zone|home|confirm|confirm-long|confirm-single
//
// "zone" first stores zone 1 on the zone with the longest text of the database, "home" the
// home zone on Amsterdam; both are removed again at the end. "confirm" asks a yes-or-no
// question with its check box ticked, "confirm-long" a message of several lines,
// "confirm-single" one with a single button. Works in the current folder: writes "ready" once
// the dialog is on the screen, ends it when a file "stop" appears (or after two minutes), and
// writes "ended" as it ends.

#include "CConfirmMessageDialog.h"
#include "CTimeZoneDialog.h"
#include "CZoneCatalogue.h"
#include "CZoneList.h"
#include "ShowcaseSignal.h"
#include "resource.h"

#include <shlwapi.h>

#include <string>

namespace {

CDialog* g_shown = nullptr;
bool g_tickBox = false;

// The modal loop dispatches this thread timer.
void CALLBACK watch(HWND, UINT, UINT_PTR, DWORD)
{
    static int ticks = 0;
    ++ticks;
    if (ticks == 5 && g_tickBox && g_shown && g_shown->hwnd())
        CheckDlgButton(g_shown->hwnd(), IDC_CONFIRM_DONT_SHOW, BST_CHECKED);
    if (ticks == 10)
        showcase::signal(L"ready");
    if ((ticks > 10 && showcase::stopAsked()) || ticks > 1200) {
        if (g_shown && g_shown->hwnd())
            PostMessageW(g_shown->hwnd(), WM_COMMAND, IDCANCEL, 0);
    }
}

long findZone(const CZoneCatalogue& catalogue, const std::wstring& part)
{
    for (size_t i = 0; i < catalogue.count(); ++i) {
        if (catalogue.at(i).display.find(part) != std::wstring::npos)
            return static_cast<long>(i);
    }
    return 0;
}

long longestZone(const CZoneCatalogue& catalogue)
{
    size_t longest = 0;
    for (size_t i = 1; i < catalogue.count(); ++i) {
        if (catalogue.at(i).display.size() > catalogue.at(longest).display.size())
            longest = i;
    }
    return static_cast<long>(longest);
}

int showConfirm(const std::wstring& mode)
{
    std::wstring text = L"Do you want to set this computer's clock to the time zone you selected?";
    UINT type = MB_YESNO | MB_ICONQUESTION;
    if (mode == L"confirm-long") {
        text = L"Your computer's clock will be set to the time of the zone you chose. Programs that are running may "
               L"show the old time until they are started again, and appointments kept in local time may appear "
               L"earlier or later than before.\r\n\r\nDo you want to change the computer's time zone now?";
        type = MB_OKCANCEL | MB_ICONEXCLAMATION;
    } else if (mode == L"confirm-single") {
        text = L"The time zone bar shows your locations & their times.";
        type = MB_OK;
    } else {
        g_tickBox = true;
    }
    CConfirmMessageDialog confirm(text, type);
    g_shown = &confirm;
    confirm.doModal(nullptr);
    g_shown = nullptr;
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"new";
    SetTimer(nullptr, 0, 100, watch);
    if (mode.rfind(L"confirm", 0) == 0) {
        showConfirm(mode);
    } else {
        CZoneCatalogue catalogue;
        catalogue.load();
        const CZoneList list;
        if (mode == L"zone") {
            const long longest = longestZone(catalogue);
            list.save(1, true, catalogue.at(static_cast<size_t>(longest)).display,
                      ZoneRecord{static_cast<uint32_t>(longest), 1, 0, 1});
            CTimeZoneDialog zone(1, catalogue.at(static_cast<size_t>(longest)).display, {}, &catalogue);
            g_shown = &zone;
            zone.doModal(nullptr);
        } else if (mode == L"home") {
            list.save(CZoneList::kHome, false, L"Amsterdam",
                      ZoneRecord{static_cast<uint32_t>(findZone(catalogue, L"Amsterdam")), 1, 1, 0});
            CTimeZoneDialog home(0, L"Amsterdam", {}, &catalogue);
            g_shown = &home;
            home.doModal(nullptr);
        } else {
            CTimeZoneDialog zone({}, &catalogue);
            g_shown = &zone;
            zone.doModal(nullptr);
        }
        g_shown = nullptr;
        SHDeleteKeyW(HKEY_CURRENT_USER, CZoneList::kPath);
    }
    showcase::signal(L"ended");
    return 0;
}
