#include "CReminderPopups.h"

#include <algorithm>

CReminderPopups::CReminderPopups(HWND mainWindow) : m_mainWindow(mainWindow) {}

CReminderPopups::~CReminderPopups() { closeAll(); }

void CReminderPopups::setMainWindow(HWND mainWindow)
{
    m_mainWindow = mainWindow;
    for (Entry& entry : m_entries)
        entry.popup->setMainWindow(mainWindow);
}

PopupScreen CReminderPopups::currentScreen()
{
    PopupScreen screen;
    if (HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr))
        screen.hasTaskbar = GetWindowRect(taskbar, &screen.taskbar) != FALSE;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen.workArea, 0))
        screen.workArea = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    screen.screen = SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return screen;
}

PopupSlot CReminderPopups::slotFor(size_t index, int height, TaskbarEdge edge, const RECT& workArea) const
{
    if (index == 0)
        return CPopupPlacement::corner(edge, workArea, height);
    return CPopupPlacement::next(edge, workArea, m_entries[index - 1].popup->slot(), height);
}

int CReminderPopups::show(const std::wstring& text, const std::wstring& soundFile, int soundRepeat)
{
    const int sequence = m_entries.empty() ? 0 : m_entries.back().popup->sequence() + 1;
    auto popup = std::make_unique<CReminderPopup>(sequence, text, m_mainWindow);
    if (!popup->prepare())
        return -1;
    const PopupScreen screen = currentScreen();
    const PopupSlot slot =
        slotFor(m_entries.size(), popup->height(), CPopupPlacement::edgeOf(screen), screen.workArea);
    CReminderPopup& shown = *popup;
    m_entries.push_back(Entry{std::move(popup), soundFile, soundRepeat, false});
    shown.slideIn(slot);
    return sequence;
}

std::vector<CReminderPopups::Entry>::iterator CReminderPopups::find(int sequence)
{
    return std::find_if(m_entries.begin(), m_entries.end(),
                        [sequence](const Entry& e) { return e.popup->sequence() == sequence; });
}

std::vector<CReminderPopups::Entry>::const_iterator CReminderPopups::find(int sequence) const
{
    return std::find_if(m_entries.begin(), m_entries.end(),
                        [sequence](const Entry& e) { return e.popup->sequence() == sequence; });
}

void CReminderPopups::onSnooze(int sequence)
{
    const auto it = find(sequence);
    if (it != m_entries.end())
        it->snoozed = true;
}

CReminderPopups::Closed CReminderPopups::onClosed(int sequence)
{
    Closed closed;
    const auto it = find(sequence);
    if (it == m_entries.end())
        return closed;
    closed.found = true;
    closed.snoozed = it->snoozed;
    closed.text = it->popup->text();
    closed.soundFile = it->soundFile;
    closed.soundRepeat = it->soundRepeat;
    // Normally its window is gone already; if not, it goes quietly with the entry, so that no
    // second report can meet a later pop-up with the same number.
    it->popup->forgetMainWindow();
    const size_t index = static_cast<size_t>(it - m_entries.begin());
    m_entries.erase(it);

    const PopupScreen screen = currentScreen();
    const TaskbarEdge edge = CPopupPlacement::edgeOf(screen);
    for (size_t i = index; i < m_entries.size(); ++i) {
        CReminderPopup& popup = *m_entries[i].popup;
        popup.moveTo(slotFor(i, popup.height(), edge, screen.workArea));
    }
    return closed;
}

void CReminderPopups::closeAll()
{
    std::vector<Entry> closing;
    closing.swap(m_entries);
    for (Entry& entry : closing)
        entry.popup->forgetMainWindow();
    // The windows go with their objects.
    closing.clear();
}

HWND CReminderPopups::window(int sequence) const
{
    const CReminderPopup* found = popup(sequence);
    return found ? found->hwnd() : nullptr;
}

const CReminderPopup* CReminderPopups::popup(int sequence) const
{
    const auto it = find(sequence);
    return it == m_entries.end() ? nullptr : it->popup.get();
}
