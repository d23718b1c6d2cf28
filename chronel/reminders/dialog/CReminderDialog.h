#pragma once
// The Reminder dialog (template 150): a new reminder (number 0) or an existing one, due once
// at a date and time, every N days at a time of day, or after a countdown, with its sound.
// OK writes the record under the reminder's number (a new one takes the next number);
// "Update without reset" changes a running countdown's texts and sound but not its times.

#include "CDialog.h"
#include "CReminderSoundBox.h"
#include "ISoundDevice.h"
#include "ReminderRecord.h"
#include "UniqueHandle.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

class CReminderDialog : public CDialog {
public:
    // `now` answers seconds since 1970-01-01 UTC; empty means the computer's clock.
    CReminderDialog(long number, ISoundDevice& sound, std::function<int64_t()> now = {});
    ~CReminderDialog() override;

    // The number written (a new reminder's new number); 0 until a record has been written.
    long savedNumber() const { return m_savedNumber; }

protected:
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool onInitDialog() override;
    bool onCommand(UINT id, UINT code, HWND control) override;

private:
    void setUpControls(int64_t now);
    void showPicture(UINT bitmapId);
    void showRecord();
    void updateEnabling();
    void chooseDateFromCalendar();
    void onOk();
    void onUpdateWithoutReset();

    // The dialog's text, sound and delete choice over `record`.
    void takeTextAndSound(ReminderRecord& record) const;
    // Writes the record under the reminder's number, telling the user what goes wrong.
    bool save(const ReminderRecord& record);

    bool checked(int id) const;
    int spinValue(int editId, int low, int high) const;
    int repeatChoice() const;
    SYSTEMTIME pickerTime(int id) const;
    void setPickerTime(int id, int64_t seconds);
    int messageBox(const std::wstring& text, UINT type);

    long m_number;
    std::function<int64_t()> m_now;
    CReminderSoundBox m_soundBox;
    ReminderRecord m_loaded;
    // An existing countdown still running can be updated without restarting it.
    bool m_runningCountdown = false;
    long m_savedNumber = 0;
    CGdiObject m_picture;
};
