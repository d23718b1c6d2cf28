#include "CReminders.h"

#include "CReminderDialog.h"
#include "CApplication.h"
#include "ResourceString.h"
#include "resource.h"

#include <ctime>

namespace {
constexpr int32_t kSnoozeSeconds = 300;

std::wstring title() { return loadString(kAppTitleStringId); }
} // namespace

CReminders::CReminders(ISoundDevice& sound, std::function<void()> bumpRevision)
    : m_soundDevice(sound),
      m_bumpRevision(std::move(bumpRevision)),
      m_now(&CReminders::unixNow),
      m_schedule({[this] { return m_now(); },
                  [this](long, const ReminderRecord& record) { show(record); },
                  [this](UINT period) { setPeriod(period); },
                  [this] {
                      if (m_bumpRevision)
                          m_bumpRevision();
                  }}),
      m_sound(sound, nullptr)
{
}

CReminders::~CReminders() { detach(); }

int64_t CReminders::unixNow() { return static_cast<int64_t>(_time64(nullptr)); }

void CReminders::attach(HWND mainWindow)
{
    m_window = mainWindow;
    m_popups.setMainWindow(mainWindow);
    m_sound.setNotifyWindow(mainWindow);
    // The first tick comes a second after start; it rebuilds nothing, so build the schedule now.
    m_schedule.rebuild();
    setPeriod(CReminderSchedule::kFast);
}

void CReminders::detach()
{
    if (m_window && m_period)
        KillTimer(m_window, IDT_REMINDERS);
    m_period = 0;
    m_schedule.clear();
    m_popups.closeAll();
    m_sound.stop();
    m_window = nullptr;
}

void CReminders::setPeriod(UINT period)
{
    if (!m_window || period == m_period)
        return;
    if (m_period)
        KillTimer(m_window, IDT_REMINDERS);
    m_period = SetTimer(m_window, IDT_REMINDERS, period, nullptr) ? period : 0;
}

bool CReminders::fire(long number)
{
    ReminderRecord record;
    if (!m_store.read(number, record))
        return false;
    show(record);
    return true;
}

void CReminders::show(const ReminderRecord& record)
{
    if (!m_window)
        return;
    m_popups.show(record.text, record.soundFile, record.soundRepeat);
    m_sound.start(record.soundFile, record.soundRepeat);
}

bool CReminders::edit(long number, HWND owner)
{
    CReminderDialog dialog(number, m_soundDevice, m_now);
    if (dialog.doModal(owner) != IDOK)
        return false;
    refresh();
    return true;
}

void CReminders::onClosed(WPARAM sequence)
{
    const CReminderPopups::Closed closed = m_popups.onClosed(static_cast<int>(sequence));
    if (closed.found && closed.snoozed)
        createSnooze(closed);
    m_sound.stop();
}

void CReminders::createSnooze(const CReminderPopups::Closed& closed)
{
    const long number = m_store.nextNumber();
    ReminderRecord snooze;
    snooze.text = closed.text;
    snooze.isCountdown = true;
    snooze.when = kSnoozeSeconds;
    snooze.start = static_cast<int32_t>(m_now());
    snooze.deleteWhenDone = true;
    snooze.soundFile = closed.soundFile;
    snooze.soundRepeat = closed.soundRepeat;
    snooze.isSnooze = true;
    if (!m_store.write(number, snooze)) {
        MessageBoxW(m_window, substituteString(IDS_REGISTRY_FAILED, {L""}).c_str(), title().c_str(),
                    MB_OK | MB_ICONSTOP);
    }
    refresh();
    if (m_bumpRevision)
        m_bumpRevision();
}
