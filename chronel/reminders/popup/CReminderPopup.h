#pragma once
// One reminder pop-up: a small topmost tool window with the heading strip (bitmap 148), the
// reminder's text and two buttons, "5 min. Snooze" and "Off". It slides out of the taskbar's
// side one row every 5 ms and stays until one of its buttons or a click on it closes it.
// Closing posts WM_REMINDER_CLOSED (wParam = the sequence number) to the main window; the
// snooze button first sends WM_REMINDER_SNOOZE.

#include "CPopupPlacement.h"
#include "CWnd.h"
#include "UniqueHandle.h"

#include <windows.h>

#include <string>

class CReminderPopup : public CWnd {
public:
    static constexpr wchar_t kClassName[] = L"ChronelReminderPopup";
    static constexpr int kSnoozeButtonId = 1;
    static constexpr int kOffButtonId = 2;
    // Client coordinates; the window has no frame, so also window coordinates.
    static constexpr RECT kSnoozeButtonRect{116, 0, 191, 19};
    static constexpr RECT kOffButtonRect{191, 0, 213, 19};
    static constexpr int kHeadingWidth = 150;
    static constexpr int kHeadingHeight = 19;
    static constexpr UINT kSlideIntervalMs = 5;
    static constexpr int kTextPoints = 10;
    static constexpr int kButtonPoints = 7;
    static constexpr wchar_t kTextFace[] = L"Verdana";
    static constexpr wchar_t kButtonFace[] = L"Tahoma";

    CReminderPopup(int sequence, std::wstring text, HWND mainWindow);
    ~CReminderPopup() override;

    // Creates the window, still hidden, owned by the main window, and measures the text:
    // height() holds from then on.
    bool prepare();
    // Shows the window at `slot` with no rows out, on top and without taking the focus, and
    // starts the slide.
    void slideIn(const PopupSlot& slot);
    // A new place; the slide, if it still runs, goes on there.
    void moveTo(const PopupSlot& slot);
    // Closing from now on reports nothing to the main window (the list has already let the
    // pop-up go).
    void forgetMainWindow() { m_mainWindow = nullptr; }
    void setMainWindow(HWND mainWindow) { m_mainWindow = mainWindow; }

    int sequence() const { return m_sequence; }
    const std::wstring& text() const { return m_text; }
    int height() const { return m_height; }
    const PopupSlot& slot() const { return m_slot; }
    int shownRows() const { return m_shown; }
    bool sliding() const { return m_sliding; }
    // The mouse is over the pop-up: the text shows in bold when it fits that way.
    bool hot() const { return m_hot; }
    bool boldFits() const { return m_boldFits; }

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static bool registerWindowClass();
    void createFonts();
    bool createButtons();
    int measureText(HFONT font);
    void paint(HDC dc);
    void paintHeading(HDC dc);
    void onSlideStep();
    void onCommand(int id, int code);
    void onMouseMove();
    void setHot(bool hot);
    void close();

    int m_sequence;
    std::wstring m_text;
    HWND m_mainWindow;
    CGdiObject m_textFont;
    CGdiObject m_boldFont;
    CGdiObject m_buttonFont;
    CGdiObject m_heading;
    int m_height = CPopupPlacement::kMinHeight;
    PopupSlot m_slot;
    int m_shown = 0;
    bool m_sliding = false;
    bool m_hot = false;
    bool m_boldFits = false;
    bool m_trackingLeave = false;
};
