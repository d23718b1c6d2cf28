#pragma once
// Fixture of the Reminder dialog tests: a clean registry, a fixed clock, a stand-in sound
// device, and the dialog opened modeless so that a test drives it with messages as a user's
// clicks would and reads what it shows. Times are seconds since 1970-01-01 UTC.

#include "CReminderDialog.h"
#include "CSoundDeviceStandIn.h"
#include "CSuiteRegistryTest.h"
#include "ReminderRecord.h"
#include "resource.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CReminderDialogTest : public CSuiteRegistryTest {
public:
    // Tuesday 10 March 2026, 09:20:30 UTC.
    static constexpr int64_t kNow = 1773134430;
    static constexpr int64_t kDay = 86400;

    // The dialog for reminder `number` (0: a new one), shown.
    HWND open(long number);
    HWND dialog() const { return m_dialog ? m_dialog->hwnd() : nullptr; }
    long savedNumber() const { return m_dialog->savedNumber(); }

    // What the user does.
    void click(int id);
    void choose(int radioId);
    void setCheck(int id, bool on);
    void selectRepeat(int choice);
    void type(int id, const std::wstring& text);
    void setPicker(int id, int64_t seconds);
    void setPickerDate(int id, const SYSTEMTIME& local);

    // What it shows.
    std::wstring text(int id) const;
    bool enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog(), id)) != FALSE; }
    bool visible(int id) const { return IsWindowVisible(GetDlgItem(dialog(), id)) != FALSE; }
    bool checked(int id) const { return IsDlgButtonChecked(dialog(), id) == BST_CHECKED; }
    SYSTEMTIME picker(int id) const;
    std::vector<std::wstring> comboItems(int id) const;
    int selection(int id) const;

    // The store.
    static void store(long number, const ReminderRecord& record);
    static bool stored(long number, ReminderRecord& record);
    static DWORD lastNumber();
    static void setLastNumber(DWORD number);

    // Local time as the computer's zone shows it, and back.
    static SYSTEMTIME local(int64_t seconds);
    static int64_t utc(const SYSTEMTIME& local);
    static bool sameDate(const SYSTEMTIME& a, const SYSTEMTIME& b);
    static bool sameClock(const SYSTEMTIME& a, const SYSTEMTIME& b);

    CSoundDeviceStandIn sound;

protected:
    void TearDown() override;

private:
    std::unique_ptr<CReminderDialog> m_dialog;
};
