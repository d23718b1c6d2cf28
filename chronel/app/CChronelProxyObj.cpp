#include "CChronelProxyObj.h"
#include "ProxyAnswers.h"

#include "AboutText.h"
#include "CChronelApp.h"
#include "CComServer.h"
#include "CConnectivityTest.h"
#include "CMainWnd.h"
#include "CModule.h"
#include "CReminderStore.h"
#include "CTimerList.h"
#include "CTrayIcon.h"
#include "ReminderText.h"
#include "ChronelSettings.h"
#include "ComTypes.h"
#include "ResourceString.h"
#include "resource.h"

#include <algorithm>
#include <new>

using namespace proxyanswer;

CChronelProxyObj::CChronelProxyObj(CChronelApp& app)
    : TRefCounted(IID_IChronelProxyObj, CModule::instance()), m_app(app)
{
    m_catalogue.load();
    CComModule::instance().lock();
}

CChronelProxyObj::~CChronelProxyObj() { CComModule::instance().unlock(); }

HRESULT CChronelProxyObj::create(IUnknown* outer, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    CChronelApp* app = CChronelApp::instance();
    if (!app)
        return E_UNEXPECTED; // the object lives in Chronel's own process only
    auto* created = new (std::nothrow) CChronelProxyObj(*app);
    if (!created)
        return E_OUTOFMEMORY;
    HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
}

HRESULT CChronelProxyObj::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IChronelProxyObj)) {
        *object = static_cast<IChronelProxyObj*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// --- The page host's clock and the correction asked for from the page ---------------------

HRESULT CChronelProxyObj::CorrectNow()
{
    return act([&] {
        m_correcting = true;
        if (m_hostWindow && IsWindow(m_hostWindow))
            SendMessageW(m_hostWindow, WM_CORRECT_NOW, 0, 0);
    });
}

HRESULT CChronelProxyObj::GetStatus(BSTR* text) { return answerText(text, [&] { return m_display.status; }); }
HRESULT CChronelProxyObj::GetServerTime(BSTR* text) { return answerText(text, [&] { return m_display.serverTime; }); }
HRESULT CChronelProxyObj::GetServerDate(BSTR* text) { return answerText(text, [&] { return m_display.serverDate; }); }
HRESULT CChronelProxyObj::GetLocalTime(BSTR* text) { return answerText(text, [&] { return m_display.localTime; }); }
HRESULT CChronelProxyObj::GetLocalDate(BSTR* text) { return answerText(text, [&] { return m_display.localDate; }); }

HRESULT CChronelProxyObj::CompareClocks(LONG* result)
{
    return answerNumber(result, [&] {
        const PageDisplay& d = m_display;
        if (d.serverTime == loadString(IDS_UNKNOWN))
            return 1;
        if (d.serverTime != loadString(IDS_READING) && (d.serverTime != d.localTime || d.serverDate != d.localDate))
            return -1;
        return 0;
    });
}

// --- Correction history --------------------------------------------------------------------

HRESULT CChronelProxyObj::ClearHistory() { return act([&] { m_app.history().clear(); }); }

HRESULT CChronelProxyObj::SetLogMaxSize(LONG n)
{
    if (n < 0)
        return E_INVALIDARG;
    return act([&] { m_app.history().setMaxSize(static_cast<DWORD>(n)); });
}

HRESULT CChronelProxyObj::GetLogMaxSize(LONG* n) { return answerNumber(n, [&] { return m_app.history().maxSize(); }); }
HRESULT CChronelProxyObj::GetMeanCorrection(BSTR* text)
{
    return answerText(text, [&] { return m_app.history().storedMeanText(); });
}
HRESULT CChronelProxyObj::GetCorrectionCount(LONG* n) { return answerNumber(n, [&] { return m_app.history().count(); }); }

HRESULT CChronelProxyObj::GetLogEntry(LONG n, BSTR* text)
{
    return answerEntry(text, [&](std::wstring& entry) { return n >= 1 && m_app.history().entry(n, entry); });
}

HRESULT CChronelProxyObj::GetLimitLog(LONG* flag) { return answerNumber(flag, [&] { return m_app.history().limited(); }); }
HRESULT CChronelProxyObj::SetLimitLog(LONG flag) { return act([&] { m_app.history().setLimited(flag != 0); }); }

// --- Time servers and the connectivity test ----------------------------------------------

HRESULT CChronelProxyObj::SetDefaultServers() { return act([&] { m_app.servers().restoreDefaults(); }); }

HRESULT CChronelProxyObj::GetServer(LONG k, BSTR* text)
{
    return answerEntry(text, [&](std::wstring& host) { return m_app.servers().get(k, host); });
}

HRESULT CChronelProxyObj::SetServer(LONG k, BSTR text) { return act([&] { m_app.servers().set(k, textOf(text)); }); }

HRESULT CChronelProxyObj::SetInternetCheck(LONG flag) { return act([&] { CConnectivityTest::setEnabled(flag != 0); }); }
HRESULT CChronelProxyObj::GetInternetCheck(LONG* flag) { return answerNumber(flag, [] { return CConnectivityTest::enabled(); }); }

HRESULT CChronelProxyObj::GetInternetCheckText(BSTR* text)
{
    return answerText(text, [&] { return CConnectivityTest::explanation(m_app.displayName()); });
}

// --- Schedule --------------------------------------------------------------------------------

HRESULT CChronelProxyObj::SetAutocheck(LONG flag) { return act([&] { m_app.schedule().setAutocheck(flag != 0); }); }
HRESULT CChronelProxyObj::GetAutocheck(LONG* flag) { return answerNumber(flag, [] { return CCheckSchedule::autocheck(); }); }
HRESULT CChronelProxyObj::GetLastCheckText(BSTR* text) { return answerText(text, [] { return CCheckSchedule::lastCheckText(); }); }
HRESULT CChronelProxyObj::GetDailyUpdate(LONG* flag) { return answerNumber(flag, [] { return CCheckSchedule::dailyUpdate(); }); }
HRESULT CChronelProxyObj::GetHours(LONG* n) { return answerNumber(n, [] { return CCheckSchedule::hours(); }); }
HRESULT CChronelProxyObj::GetNextCheckText(BSTR* text) { return answerText(text, [] { return CCheckSchedule::nextCheckText(); }); }
HRESULT CChronelProxyObj::SetDailyUpdate(LONG flag) { return act([&] { m_app.schedule().setDailyUpdate(flag != 0); }); }

HRESULT CChronelProxyObj::SetHours(LONG n)
{
    return act([&] { m_app.schedule().setHours(n < 1 ? 1 : static_cast<DWORD>(n)); });
}

HRESULT CChronelProxyObj::GetExitOnCheck(LONG* flag) { return answerNumber(flag, [] { return CCheckSchedule::exitOnCheck(); }); }
HRESULT CChronelProxyObj::SetExitOnCheck(LONG flag) { return act([&] { m_app.schedule().setExitOnCheck(flag != 0); }); }

// --- Tray icon ---------------------------------------------------------------------------------

HRESULT CChronelProxyObj::GetTaskBarIcon(LONG* flag) { return answerNumber(flag, [] { return CTrayIcon::enabled(); }); }
HRESULT CChronelProxyObj::SetTaskBarIcon(LONG flag) { return act([&] { m_app.setTaskBarIcon(flag != 0); }); }

HRESULT CChronelProxyObj::GetShowDateInTooltip(LONG* flag)
{
    return answerNumber(flag, [] { return CTrayIcon::showDateInTooltip(); });
}
HRESULT CChronelProxyObj::SetShowDateInTooltip(LONG flag)
{
    return act([&] { CTrayIcon::setShowDateInTooltip(flag != 0); });
}

// --- Help, suite components and the product flag ---------------------------------------------

HRESULT CChronelProxyObj::ShowHelp() { return act([&] { m_app.showHelp(); }); }
HRESULT CChronelProxyObj::ConnectCompanion(LONG* exists) { return answerNumber(exists, [&] { return m_app.connectCompanion(); }); }
HRESULT CChronelProxyObj::ConnectVault(LONG* exists) { return answerNumber(exists, [&] { return m_app.connectVault(); }); }
HRESULT CChronelProxyObj::IsProductPresent(LONG* flag) { return answerNumber(flag, [] { return settings::productPresent(); }); }
HRESULT CChronelProxyObj::GetReserved(LONG* n) { return answerNumber(n, [] { return 0; }); }

// --- Reminders ----------------------------------------------------------------------------------

namespace {

// The main window's reminders, or none before it exists and after it has gone.
CReminders* remindersOf(CChronelApp& app) { return app.mainWnd() ? &app.mainWnd()->reminders() : nullptr; }

void refreshReminders(CChronelApp& app)
{
    if (CReminders* reminders = remindersOf(app))
        reminders->refresh();
}

} // namespace

HRESULT CChronelProxyObj::FireReminder(LONG number)
{
    return act([&] {
        if (CReminders* reminders = remindersOf(m_app))
            reminders->fire(number);
    });
}

HRESULT CChronelProxyObj::EditReminder(LONG number, LONG* ok)
{
    return answerNumber(ok, [&] {
        CReminders* reminders = remindersOf(m_app);
        if (!reminders)
            return 0;
        return reminders->edit(number, dialogOwner()) ? 1 : 0;
    });
}

HRESULT CChronelProxyObj::DeleteReminder(LONG number)
{
    return act([&] {
        CReminderStore().remove(number);
        refreshReminders(m_app);
    });
}

HRESULT CChronelProxyObj::GetReminderCount(LONG* count)
{
    return answerNumber(count, [] { return std::max(0L, CReminderStore().count()); });
}

HRESULT CChronelProxyObj::GetReminderText(LONG number, BSTR* text)
{
    return answerText(text, [&] {
        ReminderRecord record;
        return CReminderStore().read(number, record) ? record.text : std::wstring();
    });
}

HRESULT CChronelProxyObj::GetReminderNumber(LONG index, LONG* number)
{
    return answerNumberEntry(number, [&](LONG& found) {
        long n = 0;
        const bool exists = CReminderStore().numberAt(index, n);
        found = n;
        return exists;
    });
}

HRESULT CChronelProxyObj::GetRemainingText(LONG number, BSTR* text)
{
    return answerText(text, [&] {
        // The schedule holds every stored reminder whose State is 0 at its due time.
        ReminderRecord record;
        int64_t left = 0;
        if (CReminderStore().read(number, record) && record.state == 0)
            left = record.due() - CReminders::unixNow();
        return remindertext::remaining(left);
    });
}

HRESULT CChronelProxyObj::GetReminderRevision(LONG bump, LONG* revision)
{
    return answerNumber(revision, [&] { return bump ? ++m_reminderRevision : m_reminderRevision; });
}

HRESULT CChronelProxyObj::GetReminderWhenText(LONG number, BSTR* text)
{
    return answerText(text, [&] {
        ReminderRecord record;
        return CReminderStore().read(number, record) ? remindertext::when(record) : std::wstring();
    });
}

HRESULT CChronelProxyObj::GetReminderState(LONG number, LONG* state)
{
    return answerNumber(state, [&] {
        ReminderRecord record;
        CReminderStore().read(number, record);
        return record.isRecurring ? record.state : 3;
    });
}

// State = 2 - b: the pages switch a recurring reminder on with 2 (scheduled) and off with 1.
HRESULT CChronelProxyObj::SetReminderState(LONG number, LONG b, LONG* changed)
{
    return answerNumber(changed, [&] {
        const CReminderStore store;
        ReminderRecord record;
        if (!store.read(number, record))
            return 0; // writing would make a reminder out of nothing
        const int32_t state = 2 - b;
        const bool differs = record.state != state;
        record.state = state;
        store.write(number, record);
        refreshReminders(m_app);
        return differs ? 1 : 0;
    });
}

// --- Countdown timers --------------------------------------------------------------------------

HRESULT CChronelProxyObj::GetTimerCount(LONG* count) { return answerNumber(count, [] { return CTimerList().count(); }); }

HRESULT CChronelProxyObj::GetTimerText(LONG index, BSTR* text)
{
    return answerEntry(text, [&](std::wstring& entry) { return CTimerList().text(index, entry); });
}

HRESULT CChronelProxyObj::AddTimer(LONG minutes, BSTR text)
{
    return act([&] {
        CTimerList().add(minutes, textOf(text), CReminders::unixNow());
        m_app.schedule().postAutocheck();
    });
}

// --- About ------------------------------------------------------------------------------------

HRESULT CChronelProxyObj::GetAboutHtml(BSTR* text)
{
    return answerText(text, [&] { return abouttext::html(m_app.displayName()); });
}
