#include "CCheckSchedule.h"

#include "CClockSync.h"
#include "CRegistryKey.h"
#include "ChronelSettings.h"
#include "ResourceString.h"
#include "RunEntry.h"
#include "TimeText.h"
#include "resource.h"

namespace {

constexpr DWORD kDay = 86400;
constexpr DWORD kHour = 3600;
constexpr DWORD kFineWindow = 60;     // the last minute before a check is watched every second
constexpr UINT kCoarseTick = 60000;
constexpr UINT kFineTick = 1000;
constexpr UINT kRetryTick = 60000;

} // namespace

CCheckSchedule::CCheckSchedule(CClockSync& sync)
    : m_sync(sync), m_timeChanged([] {}), m_pageHostOpen([] { return false; })
{
}

void CCheckSchedule::postAutocheck(HWND mainWindow)
{
    // The stored number goes out as it is; a missing one is written with the default.
    DWORD autocheck = 0;
    if (!CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readDword(settings::kAutocheck.name, autocheck)) {
        autocheck = settings::kAutocheck.fallback ? 1 : 0;
        settings::write(settings::kAutocheck, autocheck != 0);
    }
    if (mainWindow && IsWindow(mainWindow))
        PostMessageW(mainWindow, WM_AUTOCHECK_CHANGED, autocheck, 0);
}

void CCheckSchedule::recordCheck(HWND mainWindow)
{
    const DWORD now = currentTimeSeconds();
    settings::write(settings::kLastUpdate, now);
    // After a check a missing DailyUpdate counts as off: the default is every Hours hours.
    const DWORD autocheck = settings::read(settings::kAutocheckAfterCheck);
    const DWORD daily = settings::read(settings::kDailyUpdateAfterCheck);
    const DWORD hours = settings::read(settings::kHours);
    if (autocheck)
        settings::write(settings::kNextUpdate, daily == 1 ? now + kDay : now + hours * kHour);
    postAutocheck(mainWindow);
}

void CCheckSchedule::startScheduleTimer(UINT interval)
{
    if (m_window && SetTimer(m_window, IDT_SCHEDULE, interval, nullptr))
        m_scheduleInterval = interval;
    m_fineMode = interval == kFineTick;
}

void CCheckSchedule::stopScheduleTimer()
{
    if (m_scheduleInterval && m_window)
        KillTimer(m_window, IDT_SCHEDULE);
    m_scheduleInterval = 0;
    m_fineMode = false;
}

void CCheckSchedule::runDueCheck()
{
    m_checkRunning = true;
    m_sync.checkAndCorrect();
    m_checkRunning = false;
}

void CCheckSchedule::onAutocheckChanged(WPARAM autocheck)
{
    if (m_checkRunning)
        return;
    const DWORD now = currentTimeSeconds();
    stopScheduleTimer();
    DWORD next = 0;
    if (!settings::read(settings::kNextUpdate, next)) {
        next = now + kDay;
        settings::write(settings::kNextUpdate, next);
    }
    if (!autocheck)
        return; // no automatic checks: no timer
    if (now < next)
        startScheduleTimer(next - now <= kFineWindow ? kFineTick : kCoarseTick);
    else
        runDueCheck();
}

void CCheckSchedule::onTimer(UINT_PTR id)
{
    if (id == IDT_RETRY) {
        if (m_sync.checkAndCorrect() && m_retryRunning) {
            KillTimer(m_window, IDT_RETRY);
            m_retryRunning = false;
        }
        return;
    }
    if (id != IDT_SCHEDULE)
        return;
    DWORD next = 0;
    if (!settings::read(settings::kNextUpdate, next)) {
        stopScheduleTimer();
        return;
    }
    const DWORD now = currentTimeSeconds();
    if (now >= next) {
        stopScheduleTimer();
        runDueCheck();
    } else if (!m_fineMode && next - now <= kFineWindow) {
        startScheduleTimer(kFineTick);
    }
}

void CCheckSchedule::onSyncBusy(WPARAM failed)
{
    if (failed) {
        if (!m_retryRunning && m_window && SetTimer(m_window, IDT_RETRY, kRetryTick, nullptr))
            m_retryRunning = true;
    } else if (m_retryRunning) {
        KillTimer(m_window, IDT_RETRY);
        m_retryRunning = false;
    }
}

void CCheckSchedule::onTimeChange()
{
    m_timeChanged();
    if (!m_pageHostOpen()) {
        // The cached sample describes the old clock: ask again, for the cache only.
        m_sync.invalidateCache();
        m_sync.startCheck(m_window);
    }
}

bool CCheckSchedule::autocheck() { return settings::read(settings::kAutocheck); }
bool CCheckSchedule::dailyUpdate() { return settings::read(settings::kDailyUpdate); }
DWORD CCheckSchedule::hours() { return settings::read(settings::kHours); }
bool CCheckSchedule::exitOnCheck() { return settings::read(settings::kExitOnCheck); }

void CCheckSchedule::rescheduleFromLastCheck(bool daily, DWORD hours)
{
    if (!autocheck() || exitOnCheck())
        return;
    DWORD base = currentTimeSeconds();
    settings::read(settings::kLastUpdate, base);
    settings::write(settings::kNextUpdate, daily ? base + kDay : base + hours * kHour);
}

void CCheckSchedule::setAutocheck(bool on)
{
    settings::write(settings::kAutocheck, on);
    postAutocheck();
}

void CCheckSchedule::setDailyUpdate(bool on)
{
    settings::write(settings::kDailyUpdate, on);
    rescheduleFromLastCheck(on, hours());
    postAutocheck();
}

void CCheckSchedule::setHours(DWORD value)
{
    if (value < 1)
        value = 1;
    settings::write(settings::kHours, value);
    // Only a stored 1 means daily here, as in the reschedule after a check.
    rescheduleFromLastCheck(settings::stored(settings::kDailyUpdate) == 1, value);
    postAutocheck();
}

void CCheckSchedule::setExitOnCheck(bool on)
{
    settings::write(settings::kExitOnCheck, on);
    if (on)
        settings::write(settings::kNextUpdate, currentTimeSeconds() + kDay);
    writeRunEntry(on);
    postAutocheck();
}

std::wstring CCheckSchedule::lastCheckText()
{
    DWORD last = 0;
    if (!settings::read(settings::kLastUpdate, last))
        return loadString(IDS_NO_UPDATES);
    return formatLocalDateTime(last);
}

std::wstring CCheckSchedule::nextCheckText()
{
    if (exitOnCheck())
        return loadString(IDS_NEXT_START);
    DWORD next = 0;
    if (!settings::read(settings::kNextUpdate, next))
        return {};
    return formatLocalDateTime(next);
}
