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

bool readTime(const wchar_t* name, DWORD& value)
{
    return CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readDword(name, value);
}

} // namespace

CCheckSchedule::CCheckSchedule(CClockSync& sync)
    : m_sync(sync), m_timeChanged([] {}), m_pageHostOpen([] { return false; })
{
}

void CCheckSchedule::postAutocheck(HWND mainWindow)
{
    DWORD autocheck = 0;
    if (!readTime(settings::kAutocheck, autocheck)) {
        autocheck = settings::kDefaultAutocheck;
        settings::writeDword(settings::kAutocheck, autocheck);
    }
    if (mainWindow && IsWindow(mainWindow))
        PostMessageW(mainWindow, WM_AUTOCHECK_CHANGED, autocheck, 0);
}

void CCheckSchedule::recordCheck(HWND mainWindow)
{
    const DWORD now = currentTimeSeconds();
    settings::writeDword(settings::kLastUpdate, now);
    // After a check a missing DailyUpdate counts as off: the default is every Hours hours.
    const DWORD autocheck = settings::readDword(settings::kAutocheck, 0);
    const DWORD daily = settings::readDword(settings::kDailyUpdate, 0);
    const DWORD hours = settings::readDword(settings::kHours, settings::kDefaultHours);
    if (autocheck)
        settings::writeDword(settings::kNextUpdate, daily == 1 ? now + kDay : now + hours * kHour);
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
    if (!readTime(settings::kNextUpdate, next)) {
        next = now + kDay;
        settings::writeDword(settings::kNextUpdate, next);
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
    if (!readTime(settings::kNextUpdate, next)) {
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

bool CCheckSchedule::autocheck() { return settings::readFlag(settings::kAutocheck, settings::kDefaultAutocheck); }
bool CCheckSchedule::dailyUpdate() { return settings::readFlag(settings::kDailyUpdate, settings::kDefaultDailyUpdate); }
DWORD CCheckSchedule::hours() { return settings::readDword(settings::kHours, settings::kDefaultHours); }
bool CCheckSchedule::exitOnCheck() { return settings::readFlag(settings::kExitOnCheck, settings::kDefaultExitOnCheck); }

void CCheckSchedule::rescheduleFromLastCheck(bool daily, DWORD hours)
{
    if (!autocheck() || exitOnCheck())
        return;
    DWORD base = currentTimeSeconds();
    readTime(settings::kLastUpdate, base);
    settings::writeDword(settings::kNextUpdate, daily ? base + kDay : base + hours * kHour);
}

void CCheckSchedule::setAutocheck(bool on, HWND mainWindow)
{
    settings::writeFlag(settings::kAutocheck, on);
    postAutocheck(mainWindow);
}

void CCheckSchedule::setDailyUpdate(bool on, HWND mainWindow)
{
    settings::writeFlag(settings::kDailyUpdate, on);
    rescheduleFromLastCheck(on, hours());
    postAutocheck(mainWindow);
}

void CCheckSchedule::setHours(DWORD value, HWND mainWindow)
{
    if (value < 1)
        value = 1;
    settings::writeDword(settings::kHours, value);
    rescheduleFromLastCheck(settings::readDword(settings::kDailyUpdate, settings::kDefaultDailyUpdate) == 1, value);
    postAutocheck(mainWindow);
}

void CCheckSchedule::setExitOnCheck(bool on, HWND mainWindow)
{
    settings::writeFlag(settings::kExitOnCheck, on);
    if (on)
        settings::writeDword(settings::kNextUpdate, currentTimeSeconds() + kDay);
    writeRunEntry(on);
    postAutocheck(mainWindow);
}

std::wstring CCheckSchedule::lastCheckText()
{
    DWORD last = 0;
    if (!readTime(settings::kLastUpdate, last))
        return loadString(IDS_NO_UPDATES);
    return formatLocalDateTime(last);
}

std::wstring CCheckSchedule::nextCheckText()
{
    if (exitOnCheck())
        return loadString(IDS_NEXT_START);
    DWORD next = 0;
    if (!readTime(settings::kNextUpdate, next))
        return {};
    return formatLocalDateTime(next);
}

std::wstring CCheckSchedule::internetCheckText(const std::wstring& displayName)
{
    return replaceAll(loadString(IDS_INTERNET_CHECK), L"%s", displayName);
}
