// The automation object's time-zone operations: the catalogue's zone times, the user's zone
// list with its dialog and revision counter, the confirmation, and applying a zone.

#include "CChronelProxyObj.h"
#include "ProxyAnswers.h"

#include "CApplication.h"
#include "CChronelApp.h"
#include "CConfirmMessageDialog.h"
#include "CMainWnd.h"
#include "CTimeZoneBar.h"
#include "CTimeZoneDialog.h"
#include "CZoneList.h"
#include "ChronelSettings.h"
#include "ResourceString.h"
#include "ZoneBarSettings.h"
#include "ZoneTime.h"
#include "resource.h"

using namespace proxyanswer;

namespace {

// 1: the user asked not to be asked again before the computer's zone is changed.
constexpr settings::Dword kChangeTimeZone{L"ChangeTimeZone", 0};

} // namespace

HWND CChronelProxyObj::dialogOwner() const
{
    if (m_hostWindow && IsWindow(m_hostWindow))
        return m_hostWindow;
    return m_app.mainWnd() ? m_app.mainWnd()->hwnd() : nullptr;
}

// --- Zone times -------------------------------------------------------------------------------

HRESULT CChronelProxyObj::GetZoneTimeText(LONG zone, LONG flags, BSTR* text)
{
    return answerText(text, [&] {
        if (zone == -1)
            return m_display.localTime;
        return m_catalogue.valid(zone) ? zonetime::timeText(m_catalogue.at(static_cast<size_t>(zone)),
                                                            static_cast<DWORD>(flags))
                                       : std::wstring();
    });
}

HRESULT CChronelProxyObj::GetZoneDateText(LONG zone, LONG flags, BSTR* text)
{
    return answerText(text, [&] {
        if (zone == -1)
            return m_display.localDate;
        return m_catalogue.valid(zone) ? zonetime::dateText(m_catalogue.at(static_cast<size_t>(zone)),
                                                            static_cast<DWORD>(flags))
                                       : std::wstring();
    });
}

HRESULT CChronelProxyObj::ApplyZone(LONG zone)
{
    return act([&] {
        if (!m_catalogue.valid(zone))
            return;
        if (m_app.timeZoneSetter().setTimeZone(m_catalogue.at(static_cast<size_t>(zone)).information)) {
            PostMessageW(HWND_BROADCAST, WM_TIMECHANGE, 0, 0);
            return;
        }
        // Refused (no time-zone privilege): the user is told, the computer's zone stays.
        const std::wstring title = loadString(kAppTitleStringId);
        MessageBoxW(dialogOwner(), substituteString(IDS_ZONE_NOT_APPLIED, {title}).c_str(), title.c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
    });
}

// --- The user's zone list ---------------------------------------------------------------------

HRESULT CChronelProxyObj::GetZoneCount(LONG* count) { return answerNumber(count, [] { return CZoneList().count(); }); }

HRESULT CChronelProxyObj::GetZoneName(LONG n, BSTR* text)
{
    return answerEntry(text, [&](std::wstring& name) {
        const CZoneList list;
        return list.exists(n) && list.readName(n, name);
    });
}

HRESULT CChronelProxyObj::GetZoneCatalogueIndex(LONG n, LONG* index)
{
    return answerNumberEntry(index, [&](LONG& found) {
        const CZoneList list;
        ZoneRecord record;
        if (!list.exists(n) || !list.readRecord(n, record))
            return false;
        found = static_cast<LONG>(record.catalogueIndex);
        return true;
    });
}

HRESULT CChronelProxyObj::AddZone(LONG* ok)
{
    return answerNumber(ok, [&] {
        CTimeZoneDialog dialog([this] { bumpRevision(); }, &m_catalogue);
        if (dialog.doModal(dialogOwner()) != IDOK)
            return 0;
        bumpRevision();
        return 1;
    });
}

HRESULT CChronelProxyObj::EditZone(BSTR name, LONG n, LONG* ok)
{
    return answerNumber(ok, [&] {
        CTimeZoneDialog dialog(n <= 0 ? CZoneList::kHome : n, textOf(name), [this] { bumpRevision(); }, &m_catalogue);
        if (dialog.doModal(dialogOwner()) != IDOK)
            return 0;
        bumpRevision();
        return 1;
    });
}

HRESULT CChronelProxyObj::DeleteZone(LONG n)
{
    return comGuard([&]() -> HRESULT {
        if (!CZoneList().deleteZone(n))
            return S_FALSE;
        bumpRevision();
        return S_OK;
    });
}

HRESULT CChronelProxyObj::MoveZone(LONG n, LONG step, LONG* moved)
{
    return answerNumberEntry(moved, [&](LONG& result) {
        bool done = false;
        if (!CZoneList().moveZone(n, step, done))
            return false;
        if (done)
            bumpRevision();
        result = done ? 1 : 0;
        return true;
    });
}

HRESULT CChronelProxyObj::IsZoneInBar(LONG n, LONG* flag)
{
    return answerNumberEntry(flag, [&](LONG& shown) {
        const CZoneList list;
        if (!list.exists(n))
            return false;
        ZoneRecord record;
        shown = list.readRecord(n, record) && record.inBar() ? 1 : 0;
        return true;
    });
}

HRESULT CChronelProxyObj::IsHomeZoneInBar(LONG* flag)
{
    return answerNumber(flag, [] {
        ZoneRecord record;
        return CZoneList().readRecord(CZoneList::kHome, record) && record.inBar() ? 1 : 0;
    });
}

HRESULT CChronelProxyObj::GetAtThisLocation(BSTR, LONG n, LONG* flag)
{
    return answerNumberEntry(flag, [&](LONG& here) {
        const CZoneList list;
        if (n < 0 || n > list.count())
            return false;
        ZoneRecord record;
        here = list.readRecord(n, record) && record.atThisLocation != 0 ? 1 : 0;
        return true;
    });
}

HRESULT CChronelProxyObj::SetAtThisLocation(LONG n, LONG flag)
{
    return comGuard([&]() -> HRESULT { return CZoneList().setAtThisLocation(n, flag != 0) ? S_OK : S_FALSE; });
}

HRESULT CChronelProxyObj::GetHomeZoneIndex(LONG useSystem, LONG* index)
{
    return answerNumber(index, [&] { return CZoneList().homeZoneIndex(useSystem != 0, m_catalogue); });
}

HRESULT CChronelProxyObj::GetHomeZoneName(BSTR* text)
{
    return answerText(text, [&] { return CZoneList().homeZoneName(m_catalogue); });
}

HRESULT CChronelProxyObj::GetRevision(LONG bump, LONG* revision)
{
    return answerNumber(revision, [&] { return bump ? bumpRevision() : m_revision; });
}

// --- The confirmation before the computer's zone changes ------------------------------------

// remember = 0: a plain message box with the type's buttons and icon. Otherwise the Confirm
// Message dialog with its "do not show again" box; with remember = 1 it is skipped (answer 1)
// once the user ticked that box, and a confirmation with the box ticked stores the choice.
HRESULT CChronelProxyObj::ShowMessage(BSTR text, LONG type, LONG remember, LONG* button)
{
    return answerNumber(button, [&]() -> LONG {
        if (remember == 0) {
            const UINT style = static_cast<UINT>(type) & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK);
            return MessageBoxW(dialogOwner(), textOf(text).c_str(), loadString(kAppTitleStringId).c_str(), style);
        }
        if (remember == 1 && settings::read(kChangeTimeZone) != 0)
            return 1;
        CConfirmMessageDialog dialog(textOf(text), static_cast<UINT>(type));
        const INT_PTR result = dialog.doModal(dialogOwner());
        if (result == 1 && remember == 1)
            settings::write(kChangeTimeZone, dialog.dontShowAgain() ? 1 : 0);
        return static_cast<LONG>(result);
    });
}

HRESULT CChronelProxyObj::GetConfirmZoneChange(LONG* flag)
{
    return answerNumber(flag, [] { return settings::read(kChangeTimeZone) == 0 ? 1 : 0; });
}

HRESULT CChronelProxyObj::SetConfirmZoneChange(LONG flag)
{
    return act([&] { settings::write(kChangeTimeZone, flag == 0 ? 1 : 0); });
}

// --- The time zone bar ----------------------------------------------------------------------

namespace {

// The two switches read with the default written when missing.
bool readSwitch(const settings::Flag& flag)
{
    bool on = flag.fallback;
    if (!settings::readStored(flag, on))
        settings::write(flag, on);
    return on;
}

} // namespace

HRESULT CChronelProxyObj::ShowTimeZoneBar(LONG show)
{
    return act([&] {
        settings::write(settings::kTimeZoneBar, show != 0);
        m_app.showTimeZoneBar(show != 0);
    });
}

HRESULT CChronelProxyObj::IsBarShown(LONG* flag)
{
    return answerNumber(flag, [&] { return m_app.timeZoneBar() ? 1 : 0; });
}

HRESULT CChronelProxyObj::GetBarAutoHide(LONG* flag)
{
    return answerNumber(flag, [] { return readSwitch(settings::kTimeZoneBarAutoHide) ? 1 : 0; });
}

HRESULT CChronelProxyObj::GetBarAlwaysOnTop(LONG* flag)
{
    return answerNumber(flag, [] { return readSwitch(settings::kTimeZoneBarAlwaysOnTop) ? 1 : 0; });
}

// Automation's true is -1: the pages pass it for "on", anything else means off.
HRESULT CChronelProxyObj::SetBarAutoHide(LONG value)
{
    return act([&] {
        settings::write(settings::kTimeZoneBarAutoHide, value == -1);
        if (CTimeZoneBar* bar = m_app.timeZoneBar())
            bar->applySettings();
    });
}

HRESULT CChronelProxyObj::SetBarAlwaysOnTop(LONG value)
{
    return act([&] {
        settings::write(settings::kTimeZoneBarAlwaysOnTop, value == -1);
        if (CTimeZoneBar* bar = m_app.timeZoneBar())
            bar->applySettings();
    });
}
