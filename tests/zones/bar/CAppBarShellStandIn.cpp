#include "CAppBarShellStandIn.h"

#include <algorithm>

CAppBarShellStandIn::CAppBarShellStandIn()
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    cursor = POINT{width / 2, height / 2};
    taskbar = RECT{0, height - kTaskbarHeight, width, height};
}

size_t CAppBarShellStandIn::count(DWORD message) const
{
    return static_cast<size_t>(
        std::count_if(calls.begin(), calls.end(), [&](const Call& c) { return c.message == message; }));
}

std::optional<CAppBarShellStandIn::Call> CAppBarShellStandIn::last(DWORD message) const
{
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
        if (it->message == message)
            return *it;
    return std::nullopt;
}

HWND CAppBarShellStandIn::autoHideBar(UINT edge) const
{
    const auto it = m_autoHide.find(edge);
    return it == m_autoHide.end() ? nullptr : it->second;
}

RECT CAppBarShellStandIn::reserved(HWND window) const
{
    const auto it = m_reserved.find(window);
    return it == m_reserved.end() ? RECT{} : it->second.second;
}

void CAppBarShellStandIn::adjust(HWND window, UINT edge, RECT& rect) const
{
    std::vector<std::pair<UINT, RECT>> taken{{ABE_BOTTOM, taskbar}};
    for (const auto& [bar, room] : m_reserved)
        if (bar != window && !IsRectEmpty(&room.second))
            taken.push_back(room);
    for (const auto& [side, r] : taken) {
        if (side != edge)
            continue;
        switch (edge) {
        case ABE_TOP: rect.top = std::max(rect.top, r.bottom); break;
        case ABE_BOTTOM: rect.bottom = std::min(rect.bottom, r.top); break;
        case ABE_LEFT: rect.left = std::max(rect.left, r.right); break;
        case ABE_RIGHT: rect.right = std::min(rect.right, r.left); break;
        }
    }
}

UINT_PTR CAppBarShellStandIn::message(DWORD message, APPBARDATA& data)
{
    calls.push_back(Call{message, data.hWnd, data.uEdge, data.rc, data.lParam, data.uCallbackMessage});
    if (absent)
        return FALSE;
    switch (message) {
    case ABM_NEW:
        return m_bars.insert(data.hWnd).second ? TRUE : FALSE;
    case ABM_REMOVE:
        m_bars.erase(data.hWnd);
        m_reserved.erase(data.hWnd);
        for (auto it = m_autoHide.begin(); it != m_autoHide.end();)
            it = it->second == data.hWnd ? m_autoHide.erase(it) : std::next(it);
        return TRUE;
    case ABM_QUERYPOS:
        if (!registered(data.hWnd))
            return FALSE;
        adjust(data.hWnd, data.uEdge, data.rc);
        return TRUE;
    case ABM_SETPOS:
        if (!registered(data.hWnd))
            return FALSE;
        if (!IsRectEmpty(&data.rc))
            adjust(data.hWnd, data.uEdge, data.rc);
        m_reserved[data.hWnd] = {data.uEdge, data.rc};
        return TRUE;
    case ABM_GETSTATE:
        return taskbarState;
    case ABM_GETAUTOHIDEBAR:
        return reinterpret_cast<UINT_PTR>(autoHideBar(data.uEdge));
    case ABM_SETAUTOHIDEBAR: {
        const HWND holder = autoHideBar(data.uEdge);
        if (!data.lParam) {
            if (holder == data.hWnd)
                m_autoHide.erase(data.uEdge);
            return TRUE;
        }
        if (refuseAutoHide || (holder && holder != data.hWnd))
            return FALSE;
        m_autoHide[data.uEdge] = data.hWnd;
        return TRUE;
    }
    case ABM_ACTIVATE:
    case ABM_WINDOWPOSCHANGED:
        return TRUE;
    }
    return FALSE;
}
