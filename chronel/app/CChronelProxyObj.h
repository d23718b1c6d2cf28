#pragma once
// The automation object of class ChronelProxyObj: what the pages reach as window.external,
// and what script clients create through COM. Each operation is a thin layer over the
// subsystem that owns it, reached through the application object; only the page host's
// display copy and the zone catalogue are the object's own; the time-zone operations stand
// in CChronelProxyZones.cpp.

#include "CZoneCatalogue.h"
#include "Chronel_h.h"
#include "PageDisplay.h"
#include "TDispatchImpl.h"
#include "TRefCounted.h"

#include <windows.h>

class CChronelApp;

class CChronelProxyObj final : public TRefCounted<CChronelProxyObj, TDispatchImpl<IChronelProxyObj>> {
public:
    explicit CChronelProxyObj(CChronelApp& app);
    ~CChronelProxyObj();

    // The class factory's creator.
    static HRESULT create(IUnknown* outer, REFIID iid, void** object);

    // The page host that shows this object's display copy, or none.
    void setHostWindow(HWND window) { m_hostWindow = window; }
    HWND hostWindow() const { return m_hostWindow; }
    // The page host's texts after every change.
    void push(const PageDisplay& display) { m_display = display; }
    const PageDisplay& display() const { return m_display; }
    bool correcting() const { return m_correcting; }
    void setCorrecting(bool on) { m_correcting = on; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;

    // IChronelProxyObj, in interface order.
    HRESULT STDMETHODCALLTYPE CorrectNow() override;
    HRESULT STDMETHODCALLTYPE ClearHistory() override;
    HRESULT STDMETHODCALLTYPE SetLogMaxSize(LONG n) override;
    HRESULT STDMETHODCALLTYPE GetLogMaxSize(LONG* n) override;
    HRESULT STDMETHODCALLTYPE GetMeanCorrection(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetCorrectionCount(LONG* n) override;
    HRESULT STDMETHODCALLTYPE GetLogEntry(LONG n, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE SetDefaultServers() override;
    HRESULT STDMETHODCALLTYPE SetInternetCheck(LONG flag) override;
    HRESULT STDMETHODCALLTYPE GetInternetCheck(LONG* flag) override;
    HRESULT STDMETHODCALLTYPE GetServer(LONG k, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE SetServer(LONG k, BSTR text) override;
    HRESULT STDMETHODCALLTYPE SetAutocheck(LONG flag) override;
    HRESULT STDMETHODCALLTYPE GetAutocheck(LONG* flag) override;
    HRESULT STDMETHODCALLTYPE GetLastCheckText(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetTimerCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE GetTimerText(LONG index, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE AddTimer(LONG minutes, BSTR text) override;
    HRESULT STDMETHODCALLTYPE GetTaskBarIcon(LONG* flag) override;
    HRESULT STDMETHODCALLTYPE GetDailyUpdate(LONG* flag) override;
    HRESULT STDMETHODCALLTYPE GetHours(LONG* n) override;
    HRESULT STDMETHODCALLTYPE GetNextCheckText(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE SetTaskBarIcon(LONG flag) override;
    HRESULT STDMETHODCALLTYPE SetDailyUpdate(LONG flag) override;
    HRESULT STDMETHODCALLTYPE SetHours(LONG n) override;
    HRESULT STDMETHODCALLTYPE GetStatus(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetServerTime(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetServerDate(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetLocalTime(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetLocalDate(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetZoneTimeText(LONG zone, LONG flags, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetZoneDateText(LONG zone, LONG flags, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetExitOnCheck(LONG* flag) override;
    HRESULT STDMETHODCALLTYPE SetExitOnCheck(LONG flag) override;
    HRESULT STDMETHODCALLTYPE GetZoneCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE GetZoneName(LONG n, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetZoneCatalogueIndex(LONG n, LONG* index) override;
    HRESULT STDMETHODCALLTYPE ShowTimeZoneBar(LONG show) override;
    HRESULT STDMETHODCALLTYPE FireReminder(LONG number) override;
    HRESULT STDMETHODCALLTYPE AddZone(LONG* ok) override;
    HRESULT STDMETHODCALLTYPE DeleteZone(LONG n) override;
    HRESULT STDMETHODCALLTYPE EditZone(BSTR name, LONG n, LONG* ok) override;
    HRESULT STDMETHODCALLTYPE GetAboutHtml(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE CompareClocks(LONG* result) override;
    HRESULT STDMETHODCALLTYPE IsBarShown(LONG* flag) override;
    HRESULT STDMETHODCALLTYPE IsZoneInBar(LONG n, LONG* flag) override;
    HRESULT STDMETHODCALLTYPE GetAtThisLocation(BSTR name, LONG n, LONG* flag) override;
    HRESULT STDMETHODCALLTYPE SetAtThisLocation(LONG n, LONG flag) override;
    HRESULT STDMETHODCALLTYPE GetHomeZoneIndex(LONG useSystem, LONG* index) override;
    HRESULT STDMETHODCALLTYPE EditReminder(LONG number, LONG* ok) override;
    HRESULT STDMETHODCALLTYPE DeleteReminder(LONG number) override;
    HRESULT STDMETHODCALLTYPE GetReminderCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE GetReminderText(LONG number, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetReminderNumber(LONG index, LONG* number) override;
    HRESULT STDMETHODCALLTYPE GetHomeZoneName(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetRemainingText(LONG number, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetInternetCheckText(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetLimitLog(LONG* flag) override;
    HRESULT STDMETHODCALLTYPE SetLimitLog(LONG flag) override;
    HRESULT STDMETHODCALLTYPE GetRevision(LONG bump, LONG* revision) override;
    HRESULT STDMETHODCALLTYPE ShowMessage(BSTR text, LONG type, LONG remember, LONG* button) override;
    HRESULT STDMETHODCALLTYPE ApplyZone(LONG zone) override;
    HRESULT STDMETHODCALLTYPE GetReminderRevision(LONG bump, LONG* revision) override;
    HRESULT STDMETHODCALLTYPE GetConfirmZoneChange(LONG* flag) override;
    HRESULT STDMETHODCALLTYPE SetConfirmZoneChange(LONG flag) override;
    HRESULT STDMETHODCALLTYPE ShowHelp() override;
    HRESULT STDMETHODCALLTYPE IsHomeZoneInBar(LONG* flag) override;
    HRESULT STDMETHODCALLTYPE MoveZone(LONG n, LONG step, LONG* moved) override;
    HRESULT STDMETHODCALLTYPE GetShowDateInTooltip(LONG* flag) override;
    HRESULT STDMETHODCALLTYPE SetShowDateInTooltip(LONG flag) override;
    HRESULT STDMETHODCALLTYPE GetReminderWhenText(LONG number, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetReminderState(LONG number, LONG* state) override;
    HRESULT STDMETHODCALLTYPE SetReminderState(LONG number, LONG state, LONG* changed) override;
    HRESULT STDMETHODCALLTYPE GetBarAutoHide(LONG* flag) override;
    HRESULT STDMETHODCALLTYPE GetBarAlwaysOnTop(LONG* flag) override;
    HRESULT STDMETHODCALLTYPE SetBarAutoHide(LONG flag) override;
    HRESULT STDMETHODCALLTYPE SetBarAlwaysOnTop(LONG flag) override;
    HRESULT STDMETHODCALLTYPE ConnectCompanion(LONG* exists) override;
    HRESULT STDMETHODCALLTYPE ConnectVault(LONG* exists) override;
    HRESULT STDMETHODCALLTYPE IsProductPresent(LONG* flag) override;
    HRESULT STDMETHODCALLTYPE GetReserved(LONG* n) override;

    // The zone-list revision counter, raised when the time changes.
    long bumpRevision() { return ++m_revision; }
    long revision() const { return m_revision; }
    // The reminder revision counter, raised when a reminder goes after it was shown or a
    // snooze reminder is made, so the pages redraw.
    long bumpReminderRevision() { return ++m_reminderRevision; }

private:
    // Dialogs and messages stand over the page host, or the main window without one.
    HWND dialogOwner() const;

    CChronelApp& m_app;
    CZoneCatalogue m_catalogue; // loaded once, with the object
    HWND m_hostWindow = nullptr;
    PageDisplay m_display;
    bool m_correcting = false;
    long m_revision = 0;
    long m_reminderRevision = 0;
};
