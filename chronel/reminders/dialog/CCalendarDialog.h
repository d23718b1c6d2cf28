#pragma once
// The Calendar dialog (template 166): a month calendar that opens at a date and hands back
// the day chosen when the dialog ends with OK.

#include "CDialog.h"

#include <windows.h>

class CCalendarDialog : public CDialog {
public:
    explicit CCalendarDialog(const SYSTEMTIME& date);

    // The days the calendar offers (GDTR_MIN and GDTR_MAX, as DTM_GETRANGE answers them).
    void setRange(DWORD flags, const SYSTEMTIME (&range)[2]);

    // The date opened at, or the day chosen once the dialog has ended with OK.
    const SYSTEMTIME& date() const { return m_date; }

protected:
    bool onInitDialog() override;
    bool onCommand(UINT id, UINT code, HWND control) override;

private:
    void fitToCalendar();

    SYSTEMTIME m_date;
    DWORD m_rangeFlags = 0;
    SYSTEMTIME m_range[2] = {};
};
