#include "CChronelProxyObj.h"

#include "CChronelApp.h"
#include "CModule.h"
#include "CCheckSchedule.h"
#include "CClockSync.h"
#include "CComServer.h"
#include "CMainWnd.h"
#include "CRegistryKey.h"
#include "ChronelSettings.h"
#include "ComTypes.h"
#include "DefaultTimeServers.h"
#include "ResourceString.h"
#include "resource.h"

#include <shellapi.h>

namespace {

HRESULT returnNumber(LONG value, LONG* out)
{
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

HRESULT returnSetting(const wchar_t* name, DWORD fallback, LONG* out)
{
    return returnNumber(static_cast<LONG>(settings::readDword(name, fallback)), out);
}

HRESULT returnFlag(const wchar_t* name, DWORD fallback, LONG* out)
{
    return returnNumber(static_cast<LONG>(settings::readFlag(name, fallback)), out);
}

// "result code 1 and no text": S_FALSE with an empty result.
HRESULT noText(BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return S_FALSE;
}

std::wstring textOf(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

HWND mainWindow()
{
    CChronelApp* app = CChronelApp::instance();
    return app ? app->mainWindow() : nullptr;
}

std::wstring displayName()
{
    CChronelApp* app = CChronelApp::instance();
    return app ? app->displayName() : CChronelApp::readDisplayName();
}

bool validServer(LONG k) { return k >= 1 && k <= 5; }

constexpr wchar_t kProductsPath[] = L"Software\\Orvel Software\\Products";

} // namespace

CChronelProxyObj::CChronelProxyObj() : TDispatchImpl(IID_IChronelProxyObj, CModule::instance())
{
    CComModule::instance().lock();
}

CChronelProxyObj::~CChronelProxyObj() { CComModule::instance().unlock(); }

HRESULT CChronelProxyObj::create(IUnknown* outer, REFIID iid, void** object)
{
    if (outer)
        return CLASS_E_NOAGGREGATION;
    auto* created = new (std::nothrow) CChronelProxyObj();
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

ULONG CChronelProxyObj::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }

ULONG CChronelProxyObj::Release()
{
    LONG left = InterlockedDecrement(&m_refs);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

// --- Correction history --------------------------------------------------------------

HRESULT CChronelProxyObj::CorrectNow()
{
    return comGuard([&]() -> HRESULT {
        m_correcting = true;
        if (m_hostWindow && IsWindow(m_hostWindow))
            SendMessageW(m_hostWindow, WM_CORRECT_NOW, 0, 0);
        return S_OK;
    });
}

HRESULT CChronelProxyObj::ClearHistory()
{
    return comGuard([&]() -> HRESULT {
        CClockSync::clearHistory();
        return S_OK;
    });
}

HRESULT CChronelProxyObj::SetLogMaxSize(LONG n)
{
    return comGuard([&]() -> HRESULT {
        if (n < 0)
            return E_INVALIDARG;
        settings::writeDword(settings::kLogMaxSize, static_cast<DWORD>(n));
        if (n > 0)
            CClockSync::trimLog();
        return S_OK;
    });
}

HRESULT CChronelProxyObj::GetLogMaxSize(LONG* n)
{
    return comGuard([&]() -> HRESULT { return returnSetting(settings::kLogMaxSize, 0, n); });
}

HRESULT CChronelProxyObj::GetMeanCorrection(BSTR* text)
{
    return comGuard([&]() -> HRESULT {
        std::wstring mean;
        if (!CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readString(settings::kMeanCorrection, mean))
            return returnText(L"", text);
        return returnText(mean + L"s", text);
    });
}

HRESULT CChronelProxyObj::GetCorrectionCount(LONG* n)
{
    return comGuard([&]() -> HRESULT { return returnSetting(settings::kCorrectionCount, 0, n); });
}

HRESULT CChronelProxyObj::GetLogEntry(LONG n, BSTR* text)
{
    return comGuard([&]() -> HRESULT {
        std::wstring entry;
        if (n < 1 || !CClockSync::logEntry(static_cast<DWORD>(n), entry))
            return noText(text);
        return returnText(entry, text);
    });
}

HRESULT CChronelProxyObj::GetLimitLog(LONG* flag)
{
    return comGuard([&]() -> HRESULT { return returnFlag(settings::kLimitLog, 0, flag); });
}

HRESULT CChronelProxyObj::SetLimitLog(LONG flag)
{
    return comGuard([&]() -> HRESULT {
        settings::writeFlag(settings::kLimitLog, flag != 0);
        return S_OK;
    });
}

// --- Time servers and the connectivity test -------------------------------------------

HRESULT CChronelProxyObj::SetDefaultServers()
{
    return comGuard([&]() -> HRESULT {
        for (int k = 1; k <= 5; ++k)
            settings::writeString(settings::serverValueName(k).c_str(), kDefaultTimeServers[k - 1].hostName);
        return S_OK;
    });
}

HRESULT CChronelProxyObj::SetInternetCheck(LONG flag)
{
    return comGuard([&]() -> HRESULT {
        settings::writeFlag(settings::kInternetCheck, flag != 0);
        return S_OK;
    });
}

HRESULT CChronelProxyObj::GetInternetCheck(LONG* flag)
{
    return comGuard([&]() -> HRESULT { return returnFlag(settings::kInternetCheck, 1, flag); });
}

HRESULT CChronelProxyObj::GetServer(LONG k, BSTR* text)
{
    return comGuard([&]() -> HRESULT {
        if (!validServer(k))
            return noText(text);
        return returnText(settings::readString(settings::serverValueName(k).c_str(), L""), text);
    });
}

HRESULT CChronelProxyObj::SetServer(LONG k, BSTR text)
{
    return comGuard([&]() -> HRESULT {
        if (validServer(k))
            settings::writeString(settings::serverValueName(k).c_str(), textOf(text));
        return S_OK;
    });
}

HRESULT CChronelProxyObj::GetInternetCheckText(BSTR* text)
{
    return comGuard([&]() -> HRESULT {
        return returnText(CCheckSchedule::internetCheckText(displayName()), text);
    });
}

// --- Schedule ----------------------------------------------------------------------------

HRESULT CChronelProxyObj::SetAutocheck(LONG flag)
{
    return comGuard([&]() -> HRESULT {
        CCheckSchedule::setAutocheck(flag != 0, mainWindow());
        return S_OK;
    });
}

HRESULT CChronelProxyObj::GetAutocheck(LONG* flag)
{
    return comGuard([&]() -> HRESULT { return returnFlag(settings::kAutocheck, 1, flag); });
}

HRESULT CChronelProxyObj::GetLastCheckText(BSTR* text)
{
    return comGuard([&]() -> HRESULT { return returnText(CCheckSchedule::lastCheckText(), text); });
}

HRESULT CChronelProxyObj::GetDailyUpdate(LONG* flag)
{
    return comGuard([&]() -> HRESULT { return returnFlag(settings::kDailyUpdate, 1, flag); });
}

HRESULT CChronelProxyObj::GetHours(LONG* n)
{
    return comGuard([&]() -> HRESULT { return returnSetting(settings::kHours, settings::kDefaultHours, n); });
}

HRESULT CChronelProxyObj::GetNextCheckText(BSTR* text)
{
    return comGuard([&]() -> HRESULT { return returnText(CCheckSchedule::nextCheckText(), text); });
}

HRESULT CChronelProxyObj::SetDailyUpdate(LONG flag)
{
    return comGuard([&]() -> HRESULT {
        CCheckSchedule::setDailyUpdate(flag != 0, mainWindow());
        return S_OK;
    });
}

HRESULT CChronelProxyObj::SetHours(LONG n)
{
    return comGuard([&]() -> HRESULT {
        CCheckSchedule::setHours(n < 1 ? 1 : static_cast<DWORD>(n), mainWindow());
        return S_OK;
    });
}

HRESULT CChronelProxyObj::GetExitOnCheck(LONG* flag)
{
    return comGuard([&]() -> HRESULT { return returnFlag(settings::kExitOnCheck, 0, flag); });
}

HRESULT CChronelProxyObj::SetExitOnCheck(LONG flag)
{
    return comGuard([&]() -> HRESULT {
        CCheckSchedule::setExitOnCheck(flag != 0, mainWindow());
        return S_OK;
    });
}

// --- Tray icon ---------------------------------------------------------------------------

HRESULT CChronelProxyObj::GetTaskBarIcon(LONG* flag)
{
    return comGuard([&]() -> HRESULT { return returnFlag(settings::kTaskBarIcon, 1, flag); });
}

HRESULT CChronelProxyObj::SetTaskBarIcon(LONG flag)
{
    return comGuard([&]() -> HRESULT {
        CChronelApp* app = CChronelApp::instance();
        if (CMainWnd* main = app ? app->mainWnd() : nullptr)
            main->setTaskBarIcon(flag != 0);
        else
            settings::writeFlag(settings::kTaskBarIcon, flag != 0);
        return S_OK;
    });
}

HRESULT CChronelProxyObj::GetShowDateInTooltip(LONG* flag)
{
    return comGuard([&]() -> HRESULT { return returnFlag(settings::kShowDateInTooltip, 0, flag); });
}

HRESULT CChronelProxyObj::SetShowDateInTooltip(LONG flag)
{
    return comGuard([&]() -> HRESULT {
        settings::writeFlag(settings::kShowDateInTooltip, flag != 0);
        return S_OK;
    });
}

// --- What the page host shows --------------------------------------------------------------

HRESULT CChronelProxyObj::GetStatus(BSTR* text)
{
    return comGuard([&]() -> HRESULT { return returnText(m_display.status, text); });
}
HRESULT CChronelProxyObj::GetServerTime(BSTR* text)
{
    return comGuard([&]() -> HRESULT { return returnText(m_display.serverTime, text); });
}
HRESULT CChronelProxyObj::GetServerDate(BSTR* text)
{
    return comGuard([&]() -> HRESULT { return returnText(m_display.serverDate, text); });
}
HRESULT CChronelProxyObj::GetLocalTime(BSTR* text)
{
    return comGuard([&]() -> HRESULT { return returnText(m_display.localTime, text); });
}
HRESULT CChronelProxyObj::GetLocalDate(BSTR* text)
{
    return comGuard([&]() -> HRESULT { return returnText(m_display.localDate, text); });
}

HRESULT CChronelProxyObj::CompareClocks(LONG* result)
{
    return comGuard([&]() -> HRESULT {
        const std::wstring unknown = loadString(IDS_UNKNOWN);
        const std::wstring reading = loadString(IDS_READING);
        const PageDisplay& d = m_display;
        if (d.serverTime == unknown)
            return returnNumber(1, result);
        if (d.serverTime != reading && (d.serverTime != d.localTime || d.serverDate != d.localDate))
            return returnNumber(-1, result);
        return returnNumber(0, result);
    });
}

// --- Help, suite components and the product flag --------------------------------------------

HRESULT CChronelProxyObj::ShowHelp()
{
    return comGuard([&]() -> HRESULT {
        const std::wstring help = CModule::folder() + L"\\OnlineHelp.chm";
        ShellExecuteW(mainWindow(), L"open", help.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return S_OK;
    });
}

HRESULT CChronelProxyObj::ConnectCompanion(LONG* exists)
{
    return comGuard([&]() -> HRESULT {
        CChronelApp* app = CChronelApp::instance();
        return returnNumber(app && app->connectCompanion() ? 1 : 0, exists);
    });
}

HRESULT CChronelProxyObj::ConnectVault(LONG* exists)
{
    return comGuard([&]() -> HRESULT {
        CChronelApp* app = CChronelApp::instance();
        return returnNumber(app && app->connectVault() ? 1 : 0, exists);
    });
}

HRESULT CChronelProxyObj::IsProductPresent(LONG* flag)
{
    return comGuard([&]() -> HRESULT {
        DWORD value = 0;
        CRegistryKey(HKEY_LOCAL_MACHINE, kProductsPath).readDword(L"Tempra", value);
        return returnNumber(static_cast<LONG>(value & 1), flag);
    });
}

HRESULT CChronelProxyObj::GetReserved(LONG* n)
{
    return comGuard([&]() -> HRESULT { return returnNumber(0, n); });
}

// --- Time zones, the zone bar, reminders, timers and updates: not in this program yet --------

HRESULT CChronelProxyObj::GetTimerCount(LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetTimerText(LONG, BSTR*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::AddTimer(LONG, BSTR) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetZoneTimeText(LONG, LONG, BSTR*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetZoneDateText(LONG, LONG, BSTR*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetZoneCount(LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetZoneName(LONG, BSTR*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetZoneCatalogueIndex(LONG, LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::ShowTimeZoneBar(LONG) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::FireReminder(LONG) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::AddZone(LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::DeleteZone(LONG) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::EditZone(BSTR, LONG, LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetAboutHtml(BSTR*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::IsBarShown(LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::IsZoneInBar(LONG, LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetAtThisLocation(BSTR, LONG, LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::SetAtThisLocation(LONG, LONG) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetHomeZoneIndex(LONG, LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::EditReminder(LONG, LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::DeleteReminder(LONG) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetReminderCount(LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetReminderText(LONG, BSTR*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetReminderNumber(LONG, LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetHomeZoneName(BSTR*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetRemainingText(LONG, BSTR*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetRevision(LONG, LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::ShowMessage(BSTR, LONG, LONG, LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::ApplyZone(LONG) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetReminderRevision(LONG, LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetConfirmZoneChange(LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::SetConfirmZoneChange(LONG) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::IsHomeZoneInBar(LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::MoveZone(LONG, LONG, LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetReminderWhenText(LONG, BSTR*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetReminderState(LONG, LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::SetReminderState(LONG, LONG, LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetBarAutoHide(LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::GetBarAlwaysOnTop(LONG*) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::SetBarAutoHide(LONG) { return E_NOTIMPL; }
HRESULT CChronelProxyObj::SetBarAlwaysOnTop(LONG) { return E_NOTIMPL; }
