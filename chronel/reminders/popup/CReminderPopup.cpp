#include "CReminderPopup.h"

#include "CModule.h"
#include "GdiScope.h"

#include "resource.h"

namespace {

// Long words without a space (a path, a web address) break at the width rather than run
// past the text area; the height is measured with the same flags.
constexpr UINT kTextFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX;

constexpr wchar_t kSnoozeText[] = L"5 min. Snooze";
constexpr wchar_t kOffText[] = L"Off";

HFONT createFont(const wchar_t* face, int points, int weight)
{
    int pixelsPerInch = 96;
    {
        CScreenDc screen(GetDC(nullptr));
        if (screen)
            pixelsPerInch = GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    // A negative height asks for the character height, which is what a point size means.
    return CreateFontW(-MulDiv(points, pixelsPerInch, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

HFONT fontOr(const CGdiObject& font)
{
    return font ? static_cast<HFONT>(font.get()) : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

} // namespace

CReminderPopup::CReminderPopup(int sequence, std::wstring text, HWND mainWindow)
    : m_sequence(sequence), m_text(std::move(text)), m_mainWindow(mainWindow)
{
}

CReminderPopup::~CReminderPopup()
{
    // Before the fonts go: the buttons still hold the button font until they are destroyed.
    destroy();
}

bool CReminderPopup::registerWindowClass()
{
    // The whole pop-up is a click target: the hand says so. No background brush: WM_PAINT
    // fills everything.
    return CWnd::registerClass(kClassName, CS_SAVEBITS, nullptr, LoadCursor(nullptr, IDC_HAND), nullptr);
}

bool CReminderPopup::prepare()
{
    if (exists() || !registerWindowClass())
        return false;
    createFonts();
    m_heading.reset(LoadImageW(CModule::instance(), MAKEINTRESOURCEW(IDB_REMINDER_POPUP), IMAGE_BITMAP, 0, 0,
                               LR_DEFAULTCOLOR));
    if (!create(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, m_text.c_str(), WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                CPopupPlacement::kWidth, 0, m_mainWindow))
        return false;
    if (!createButtons()) {
        destroy();
        return false;
    }
    m_height = CPopupPlacement::heightFor(measureText(fontOr(m_textFont)));
    const RECT area = CPopupPlacement::textArea(m_height);
    m_boldFits = m_boldFont && measureText(static_cast<HFONT>(m_boldFont.get())) <= area.bottom - area.top;
    return true;
}

void CReminderPopup::createFonts()
{
    m_textFont.reset(createFont(kTextFace, kTextPoints, FW_NORMAL));
    m_boldFont.reset(createFont(kTextFace, kTextPoints, FW_BOLD));
    m_buttonFont.reset(createFont(kButtonFace, kButtonPoints, FW_NORMAL));
}

bool CReminderPopup::createButtons()
{
    struct Button {
        int id;
        const wchar_t* text;
        RECT rect;
    };
    for (const Button& b : {Button{kSnoozeButtonId, kSnoozeText, kSnoozeButtonRect},
                            Button{kOffButtonId, kOffText, kOffButtonRect}}) {
        HWND button = CreateWindowExW(0, L"BUTTON", b.text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, b.rect.left,
                                      b.rect.top, b.rect.right - b.rect.left, b.rect.bottom - b.rect.top, hwnd(),
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), CModule::instance(),
                                      nullptr);
        if (!button)
            return false;
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(fontOr(m_buttonFont)), FALSE);
    }
    return true;
}

int CReminderPopup::measureText(HFONT font)
{
    RECT rect{0, 0, CPopupPlacement::kTextWidth, 0};
    CWindowDc dc(hwnd());
    if (!dc)
        return 0;
    CSelectObject selected(dc.get(), font);
    DrawTextW(dc.get(), m_text.c_str(), -1, &rect, kTextFormat | DT_CALCRECT);
    return rect.bottom - rect.top;
}

void CReminderPopup::slideIn(const PopupSlot& slot)
{
    if (!exists())
        return;
    m_slot = slot;
    m_shown = 0;
    const RECT rect = CPopupPlacement::sliding(m_slot, m_shown);
    SetWindowPos(hwnd(), HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    m_sliding = SetTimer(hwnd(), IDT_POPUP_SLIDE, kSlideIntervalMs, nullptr) != 0;
    if (!m_sliding) {
        // Without a timer the pop-up appears at once rather than not at all.
        m_shown = m_height;
        moveTo(slot);
    }
}

void CReminderPopup::moveTo(const PopupSlot& slot)
{
    m_slot = slot;
    if (!exists())
        return;
    const RECT rect = CPopupPlacement::sliding(m_slot, m_shown);
    SetWindowPos(hwnd(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CReminderPopup::onSlideStep()
{
    if (!m_sliding)
        return;
    ++m_shown;
    moveTo(m_slot);
    if (m_shown >= m_height) {
        KillTimer(hwnd(), IDT_POPUP_SLIDE);
        m_sliding = false;
    }
}

void CReminderPopup::paint(HDC dc)
{
    // The layout belongs to the full height; while sliding, only the rows out so far show.
    const RECT all{0, 0, CPopupPlacement::kWidth, m_height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_INFOBK));
    paintHeading(dc);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    {
        CSelectObject font(dc, (m_hot && m_boldFits) ? static_cast<HFONT>(m_boldFont.get()) : fontOr(m_textFont));
        RECT area = CPopupPlacement::textArea(m_height);
        DrawTextW(dc, m_text.c_str(), -1, &area, kTextFormat);
    }
    FrameRect(dc, &all, GetSysColorBrush(COLOR_3DDKSHADOW));
}

void CReminderPopup::paintHeading(HDC dc)
{
    if (!m_heading)
        return;
    CMemoryDc memory(CreateCompatibleDC(dc));
    if (!memory)
        return;
    CSelectObject bitmap(memory.get(), m_heading.get());
    BitBlt(dc, 0, 0, kHeadingWidth, kHeadingHeight, memory.get(), 0, 0, SRCCOPY);
    // The strip's last column carries the band on under the buttons to the right edge.
    StretchBlt(dc, kHeadingWidth, 0, CPopupPlacement::kWidth - kHeadingWidth, kHeadingHeight, memory.get(),
               kHeadingWidth - 1, 0, 1, kHeadingHeight, SRCCOPY);
}

void CReminderPopup::onCommand(int id, int code)
{
    if (code != BN_CLICKED)
        return;
    if (id == kSnoozeButtonId) {
        // Sent, not posted: the main window knows of the snooze before the close arrives.
        if (m_mainWindow)
            SendMessageW(m_mainWindow, WM_REMINDER_SNOOZE, static_cast<WPARAM>(m_sequence), 0);
        close();
    } else if (id == kOffButtonId) {
        close();
    }
}

void CReminderPopup::onMouseMove()
{
    if (!m_trackingLeave) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = hwnd();
        m_trackingLeave = TrackMouseEvent(&track) != FALSE;
    }
    setHot(true);
}

void CReminderPopup::setHot(bool hot)
{
    if (hot == m_hot)
        return;
    m_hot = hot;
    if (!m_boldFits)
        return;
    const RECT area = CPopupPlacement::textArea(m_height);
    InvalidateRect(hwnd(), &area, FALSE);
}

void CReminderPopup::close() { DestroyWindow(hwnd()); }

LRESULT CReminderPopup::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // WM_PAINT fills everything
    case WM_PAINT: {
        CPaintDc dc(hwnd());
        paint(dc.get());
        return 0;
    }
    case WM_MOUSEACTIVATE:
        // A reminder never takes the keyboard from the program the user is in.
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        close();
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove();
        return 0;
    case WM_MOUSELEAVE:
        m_trackingLeave = false;
        setHot(false);
        return 0;
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == IDT_POPUP_SLIDE) {
            onSlideStep();
            return 0;
        }
        break;
    case WM_DESTROY:
        KillTimer(hwnd(), IDT_POPUP_SLIDE);
        m_sliding = false;
        // Posted: the main window's answer removes this object from the list, which it must
        // not do while the object is still inside its own message.
        if (m_mainWindow)
            PostMessageW(m_mainWindow, WM_REMINDER_CLOSED, static_cast<WPARAM>(m_sequence), 0);
        return 0;
    default:
        break;
    }
    return defaultProc(message, wParam, lParam);
}
