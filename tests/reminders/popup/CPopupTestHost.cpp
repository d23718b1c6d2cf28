#include "CPopupTestHost.h"

#include "resource.h"

CPopupTestHost::CPopupTestHost() : popups(main.hwnd())
{
    main.setHandler([this](UINT message, WPARAM wParam, LPARAM) {
        if (message == WM_REMINDER_SNOOZE) {
            popups.onSnooze(static_cast<int>(wParam));
            return true;
        }
        if (message == WM_REMINDER_CLOSED) {
            closed.push_back(popups.onClosed(static_cast<int>(wParam)));
            return true;
        }
        return false;
    });
}

void CPopupTestHost::finishSlide(int sequence)
{
    const CReminderPopup* popup = popups.popup(sequence);
    for (int step = 0; popup && popup->sliding() && step < 10000; ++step)
        SendMessageW(popup->hwnd(), WM_TIMER, IDT_POPUP_SLIDE, 0);
}

bool CPopupTestHost::waitForCloses(size_t count)
{
    return CMessageWindow::pumpUntil([&] { return closed.size() >= count; }, 5000);
}

RECT CPopupTestHost::rectOf(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT CPopupTestHost::workArea()
{
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}
