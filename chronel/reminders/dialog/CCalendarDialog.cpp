#include "CCalendarDialog.h"

#include "resource.h"

#include <commctrl.h>

#include <initializer_list>

CCalendarDialog::CCalendarDialog(const SYSTEMTIME& date) : CDialog(IDD_CALENDAR), m_date(date)
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
}

void CCalendarDialog::setRange(DWORD flags, const SYSTEMTIME (&range)[2])
{
    m_rangeFlags = flags & (GDTR_MIN | GDTR_MAX);
    m_range[0] = range[0];
    m_range[1] = range[1];
}

bool CCalendarDialog::onInitDialog()
{
    HWND calendar = item(IDC_CALENDAR_MONTH);
    if (m_rangeFlags)
        SendMessageW(calendar, MCM_SETRANGE, m_rangeFlags, reinterpret_cast<LPARAM>(m_range));
    SendMessageW(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&m_date));
    fitToCalendar();
    return true;
}

void CCalendarDialog::fitToCalendar()
{
    // The month's size depends on the system's font and comctl32's version: the control takes
    // the size it asks for, and the buttons and the dialog follow by the same amount.
    HWND calendar = item(IDC_CALENDAR_MONTH);
    RECT needed{};
    if (!SendMessageW(calendar, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&needed)))
        return;
    RECT outer{}, inner{};
    GetWindowRect(calendar, &outer);
    GetClientRect(calendar, &inner);
    const int dx = (needed.right - needed.left) - (inner.right - inner.left);
    const int dy = (needed.bottom - needed.top) - (inner.bottom - inner.top);
    if (dx == 0 && dy == 0)
        return;
    SetWindowPos(calendar, nullptr, 0, 0, (outer.right - outer.left) + dx, (outer.bottom - outer.top) + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int id : {IDOK, IDCANCEL}) {
        RECT button{};
        GetWindowRect(item(id), &button);
        MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&button), 2);
        SetWindowPos(item(id), nullptr, button.left + dx, button.top + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT frame{};
    GetWindowRect(hwnd(), &frame);
    SetWindowPos(hwnd(), nullptr, frame.left - dx / 2, frame.top - dy / 2, (frame.right - frame.left) + dx,
                 (frame.bottom - frame.top) + dy, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CCalendarDialog::onCommand(UINT id, UINT code, HWND control)
{
    if (id == IDOK) {
        SYSTEMTIME chosen{};
        if (SendMessageW(item(IDC_CALENDAR_MONTH), MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&chosen))) {
            // The calendar answers a day; the time of day stays the one opened with.
            m_date.wYear = chosen.wYear;
            m_date.wMonth = chosen.wMonth;
            m_date.wDay = chosen.wDay;
            m_date.wDayOfWeek = chosen.wDayOfWeek;
        }
    }
    return CDialog::onCommand(id, code, control);
}
