#include "CReminderDialog.h"

#include "CApplication.h"
#include "CCalendarDialog.h"
#include "CReminderStore.h"
#include "DialogFields.h"
#include "ReminderTime.h"
#include "ResourceString.h"
#include "resource.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>
#include <ctime>

using remindertime::kDay;

namespace {

// The date picker offers two years back and twenty-five years ahead.
constexpr int64_t kEarliestDays = 730;
constexpr int64_t kLatestDays = 9125;
constexpr int kMaxIntervalDays = 45;
constexpr int kRepeatChoices = 6;

int64_t systemNow() { return static_cast<int64_t>(_time64(nullptr)); }

} // namespace

CReminderDialog::CReminderDialog(long number, ISoundDevice& sound, std::function<int64_t()> now)
    : CDialog(IDD_REMINDER), m_number(number), m_now(now ? std::move(now) : systemNow), m_soundBox(sound)
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_DATE_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
}

CReminderDialog::~CReminderDialog()
{
    // A modeless dialog still open goes while its sound box and picture still exist.
    if (hwnd())
        DestroyWindow(hwnd());
}

bool CReminderDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case MM_MCINOTIFY:
        m_soundBox.onNotify(wParam, lParam);
        result = 0;
        return true;
    case WM_DESTROY:
        m_soundBox.detach();
        return false;
    }
    return CDialog::onMessage(message, wParam, lParam, result);
}

bool CReminderDialog::onInitDialog()
{
    const int64_t now = m_now();
    SetWindowTextW(hwnd(), loadString(kAppTitleStringId).c_str());
    setUpControls(now);
    m_soundBox.attach(hwnd());

    m_runningCountdown = false;
    m_loaded = ReminderRecord();
    if (m_number != 0) {
        showPicture(IDB_REMINDER_EDIT);
        showRecord();
    } else {
        showPicture(IDB_REMINDER_NEW);
    }
    ShowWindow(item(IDC_REMINDER_KEEP_COUNTDOWN), m_runningCountdown ? SW_SHOW : SW_HIDE);
    updateEnabling();
    return true;
}

void CReminderDialog::setUpControls(int64_t now)
{
    // The record keeps 255 characters and its terminator.
    SendDlgItemMessageW(hwnd(), IDC_REMINDER_TEXT, EM_LIMITTEXT, ReminderRecord::kTextChars - 1, 0);

    const struct {
        int spin, low, high, start;
    } spins[] = {{IDC_REMINDER_DAYS_SPIN, 1, kMaxIntervalDays, 1},
                 {IDC_REMINDER_HOURS_SPIN, 0, 23, 1},
                 {IDC_REMINDER_MINUTES_SPIN, 0, 59, 0}};
    for (const auto& s : spins) {
        SendDlgItemMessageW(hwnd(), s.spin, UDM_SETRANGE32, s.low, s.high);
        SendDlgItemMessageW(hwnd(), s.spin, UDM_SETPOS32, 0, s.start);
    }

    // The time picker shows hours and minutes only; it opens an hour from now with the seconds
    // at zero, so that what is saved is what is shown.
    const std::wstring format = remindertime::userTimeFormatWithoutSeconds();
    if (!format.empty())
        SendDlgItemMessageW(hwnd(), IDC_REMINDER_TIME, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format.c_str()));
    setPickerTime(IDC_REMINDER_TIME, now + 3600 - remindertime::toLocal(now).wSecond);

    SYSTEMTIME range[2] = {remindertime::toLocal(now - kEarliestDays * kDay),
                           remindertime::toLocal(now + kLatestDays * kDay)};
    SendDlgItemMessageW(hwnd(), IDC_REMINDER_DATE, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
    setPickerTime(IDC_REMINDER_DATE, now);

    HWND repeat = item(IDC_REMINDER_REPEAT);
    SendMessageW(repeat, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < kRepeatChoices; ++i) {
        const std::wstring choice = loadString(IDS_REPEAT_FIRST + i);
        SendMessageW(repeat, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str()));
    }
    SendMessageW(repeat, CB_SETCURSEL, ReminderRecord::kNoSound, 0);

    CheckRadioButton(hwnd(), IDC_REMINDER_ONCE, IDC_REMINDER_EVERY, IDC_REMINDER_ONCE);
    CheckRadioButton(hwnd(), IDC_REMINDER_ABSOLUTE, IDC_REMINDER_COUNTDOWN, IDC_REMINDER_ABSOLUTE);
    CheckDlgButton(hwnd(), IDC_REMINDER_DELETE_DONE, BST_UNCHECKED);
}

void CReminderDialog::showPicture(UINT bitmapId)
{
    // A static control does not own the bitmap it shows: the dialog keeps it until it ends.
    // The pictures stand on the classic grey (192, 192, 192), which this maps to the user's
    // dialog face colour.
    m_picture.reset(LoadImageW(resources(), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    SendDlgItemMessageW(hwnd(), IDC_REMINDER_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(m_picture.get()));
}

void CReminderDialog::showRecord()
{
    ReminderRecord record;
    if (!CReminderStore().read(m_number, record))
        return;
    m_loaded = record;

    SetDlgItemTextW(hwnd(), IDC_REMINDER_TEXT, record.text.c_str());
    CheckRadioButton(hwnd(), IDC_REMINDER_ABSOLUTE, IDC_REMINDER_COUNTDOWN,
                     record.isCountdown ? IDC_REMINDER_COUNTDOWN : IDC_REMINDER_ABSOLUTE);
    CheckRadioButton(hwnd(), IDC_REMINDER_ONCE, IDC_REMINDER_EVERY,
                     record.isRecurring ? IDC_REMINDER_EVERY : IDC_REMINDER_ONCE);
    if (record.isCountdown) {
        const int64_t duration = std::max<int64_t>(record.when, 0);
        const auto hours = static_cast<LPARAM>(duration / 3600 % 24);
        const auto minutes = static_cast<LPARAM>(duration / 60 % 60);
        SendDlgItemMessageW(hwnd(), IDC_REMINDER_HOURS_SPIN, UDM_SETPOS32, 0, hours);
        SendDlgItemMessageW(hwnd(), IDC_REMINDER_MINUTES_SPIN, UDM_SETPOS32, 0, minutes);
        m_runningCountdown = record.state == 0;
    } else {
        setPickerTime(IDC_REMINDER_TIME, record.when);
        setPickerTime(IDC_REMINDER_DATE, record.when);
    }
    if (record.isRecurring) {
        const int days = std::clamp<int>(record.intervalDays, 1, kMaxIntervalDays);
        SendDlgItemMessageW(hwnd(), IDC_REMINDER_DAYS_SPIN, UDM_SETPOS32, 0, days);
    }
    m_soundBox.setText(record.soundFile);
    CheckDlgButton(hwnd(), IDC_REMINDER_DELETE_DONE, record.deleteWhenDone ? BST_CHECKED : BST_UNCHECKED);
    const bool known = record.soundRepeat >= 0 && record.soundRepeat < kRepeatChoices;
    const int repeat = known ? record.soundRepeat : ReminderRecord::kNoSound;
    SendDlgItemMessageW(hwnd(), IDC_REMINDER_REPEAT, CB_SETCURSEL, repeat, 0);
}

void CReminderDialog::updateEnabling()
{
    // A repeated reminder is always at a time of day, and is never deleted by its pop-up.
    const bool every = checked(IDC_REMINDER_EVERY);
    if (every && checked(IDC_REMINDER_COUNTDOWN))
        CheckRadioButton(hwnd(), IDC_REMINDER_ABSOLUTE, IDC_REMINDER_COUNTDOWN, IDC_REMINDER_ABSOLUTE);
    const bool countdown = checked(IDC_REMINDER_COUNTDOWN);
    EnableWindow(item(IDC_REMINDER_COUNTDOWN), !every);
    EnableWindow(item(IDC_REMINDER_DELETE_DONE), !every);

    const struct {
        int id;
        bool on;
    } fields[] = {
        {IDC_REMINDER_HOURS, countdown && !every},
        {IDC_REMINDER_HOURS_SPIN, countdown && !every},
        {IDC_REMINDER_MINUTES, countdown && !every},
        {IDC_REMINDER_MINUTES_SPIN, countdown && !every},
        {IDC_REMINDER_TIME, !countdown},
        {IDC_REMINDER_DATE, !countdown && !every},
        {IDC_REMINDER_CALENDAR, !countdown && !every},
        {IDC_REMINDER_DAYS, every},
        {IDC_REMINDER_DAYS_SPIN, every},
        {IDC_REMINDER_DAYS_LABEL, every},
    };
    for (const auto& f : fields)
        enableField(item(f.id), f.on);
    m_soundBox.enable(repeatChoice() != ReminderRecord::kNoSound);
}

bool CReminderDialog::onCommand(UINT id, UINT code, HWND control)
{
    switch (id) {
    case IDC_REMINDER_ONCE:
    case IDC_REMINDER_EVERY:
        // Checked here too, so that the pair stays one choice whoever sent the click.
        if (code == BN_CLICKED) {
            CheckRadioButton(hwnd(), IDC_REMINDER_ONCE, IDC_REMINDER_EVERY, id);
            updateEnabling();
        }
        return true;
    case IDC_REMINDER_ABSOLUTE:
    case IDC_REMINDER_COUNTDOWN:
        if (code == BN_CLICKED && IsWindowEnabled(item(id))) {
            CheckRadioButton(hwnd(), IDC_REMINDER_ABSOLUTE, IDC_REMINDER_COUNTDOWN, id);
            updateEnabling();
        }
        return true;
    case IDC_REMINDER_REPEAT:
        if (code == CBN_SELCHANGE)
            updateEnabling();
        return true;
    case IDC_REMINDER_CALENDAR:
        if (code == BN_CLICKED)
            chooseDateFromCalendar();
        return true;
    case IDC_REMINDER_PLAY:
        if (code == BN_CLICKED)
            m_soundBox.togglePlay();
        return true;
    case IDC_REMINDER_BROWSE:
        if (code == BN_CLICKED)
            m_soundBox.browse();
        return true;
    case IDC_REMINDER_KEEP_COUNTDOWN:
        if (code == BN_CLICKED)
            onUpdateWithoutReset();
        return true;
    case IDOK:
        onOk();
        return true;
    }
    return CDialog::onCommand(id, code, control);
}

void CReminderDialog::chooseDateFromCalendar()
{
    CCalendarDialog calendar(pickerTime(IDC_REMINDER_DATE));
    SYSTEMTIME range[2] = {};
    const DWORD limits = static_cast<DWORD>(
        SendDlgItemMessageW(hwnd(), IDC_REMINDER_DATE, DTM_GETRANGE, 0, reinterpret_cast<LPARAM>(range)));
    calendar.setRange(limits, range);
    if (calendar.doModal(hwnd()) == IDOK) {
        SYSTEMTIME chosen = calendar.date();
        SendDlgItemMessageW(hwnd(), IDC_REMINDER_DATE, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&chosen));
    }
}

void CReminderDialog::onOk()
{
    const int64_t now = m_now();
    const bool countdown = checked(IDC_REMINDER_COUNTDOWN);
    const bool every = checked(IDC_REMINDER_EVERY);
    if (m_runningCountdown && countdown
        && messageBox(loadString(IDS_RESTART_COUNTDOWN), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;

    ReminderRecord record;
    takeTextAndSound(record);
    record.start = static_cast<int32_t>(now);
    if (countdown) {
        record.isCountdown = true;
        const int hours = spinValue(IDC_REMINDER_HOURS, 0, 23);
        const int minutes = spinValue(IDC_REMINDER_MINUTES, 0, 59);
        record.when = hours * 3600 + minutes * 60;
    } else if (every) {
        const int days = spinValue(IDC_REMINDER_DAYS, 1, kMaxIntervalDays);
        record.isRecurring = true;
        record.intervalDays = days;
        const int64_t chosen = remindertime::fromLocal(pickerTime(IDC_REMINDER_TIME));
        record.when = static_cast<int32_t>(remindertime::firstRecurrence(chosen, now, days));
    } else {
        const SYSTEMTIME due = remindertime::withTimeOf(pickerTime(IDC_REMINDER_DATE), pickerTime(IDC_REMINDER_TIME));
        const int64_t when = remindertime::fromLocal(due);
        if (when < now && messageBox(loadString(IDS_REMINDER_IN_PAST), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
            SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(IDC_REMINDER_DATE)), TRUE);
            return;
        }
        record.when = static_cast<int32_t>(when);
    }
    if (save(record))
        endDialog(IDOK);
}

void CReminderDialog::onUpdateWithoutReset()
{
    if (!m_runningCountdown)
        return; // the button is hidden then
    // Only what the pop-up shows and plays changes: the countdown keeps its start and length.
    ReminderRecord record = m_loaded;
    takeTextAndSound(record);
    if (save(record))
        endDialog(IDOK);
}

void CReminderDialog::takeTextAndSound(ReminderRecord& record) const
{
    const int length = GetWindowTextLengthW(item(IDC_REMINDER_TEXT));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetDlgItemTextW(hwnd(), IDC_REMINDER_TEXT, text.data(), length + 1)));
    record.text = text;
    record.soundFile = m_soundBox.text();
    record.soundRepeat = repeatChoice();
    record.deleteWhenDone = checked(IDC_REMINDER_DELETE_DONE);
}

bool CReminderDialog::save(const ReminderRecord& record)
{
    const CReminderStore store;
    long number = m_number;
    if (number != 0)
        store.remove(number);
    else
        number = store.nextNumber();
    if (!store.write(number, record)) {
        messageBox(substituteString(IDS_REGISTRY_FAILED, {loadString(kAppTitleStringId)}), MB_OK | MB_ICONSTOP);
        return false;
    }
    m_savedNumber = number;
    return true;
}

bool CReminderDialog::checked(int id) const { return IsDlgButtonChecked(hwnd(), id) == BST_CHECKED; }

int CReminderDialog::spinValue(int editId, int low, int high) const
{
    // The spin keeps the arrows within range; a number typed beyond it is taken at the limit
    // and shown so.
    BOOL read = FALSE;
    const UINT typed = GetDlgItemInt(hwnd(), editId, &read, FALSE);
    const int value = read ? static_cast<int>(std::min<UINT>(typed, static_cast<UINT>(high))) : low;
    const int clamped = std::max(value, low);
    SetDlgItemInt(hwnd(), editId, static_cast<UINT>(clamped), FALSE);
    return clamped;
}

int CReminderDialog::repeatChoice() const
{
    const LRESULT choice = SendDlgItemMessageW(hwnd(), IDC_REMINDER_REPEAT, CB_GETCURSEL, 0, 0);
    return choice == CB_ERR ? ReminderRecord::kNoSound : static_cast<int>(choice);
}

SYSTEMTIME CReminderDialog::pickerTime(int id) const
{
    SYSTEMTIME time{};
    SendDlgItemMessageW(hwnd(), id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return time;
}

void CReminderDialog::setPickerTime(int id, int64_t seconds)
{
    SYSTEMTIME time = remindertime::toLocal(seconds);
    SendDlgItemMessageW(hwnd(), id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

int CReminderDialog::messageBox(const std::wstring& text, UINT type)
{
    return MessageBoxW(hwnd(), text.c_str(), loadString(kAppTitleStringId).c_str(), type);
}
