#include "CPopupPlacement.h"

TaskbarEdge CPopupPlacement::edgeOf(const PopupScreen& screen)
{
    return screen.hasTaskbar ? edgeFromTaskbar(screen.taskbar, screen.screen.cx)
                             : edgeFromWorkArea(screen.workArea, screen.screen.cy);
}

TaskbarEdge CPopupPlacement::edgeFromTaskbar(const RECT& taskbar, int screenWidth)
{
    // The taskbar overhangs the screen by its border on the sides it touches, so only a
    // positive top or left tells it starts inside the screen.
    if (taskbar.top > 0)
        return TaskbarEdge::Bottom;
    if (taskbar.left > 0)
        return TaskbarEdge::Right;
    if (taskbar.right > screenWidth)
        return TaskbarEdge::Top;
    return TaskbarEdge::Left;
}

TaskbarEdge CPopupPlacement::edgeFromWorkArea(const RECT& workArea, int screenHeight)
{
    if (workArea.top != 0)
        return TaskbarEdge::Top;
    if (workArea.left != 0)
        return TaskbarEdge::Left;
    if (workArea.bottom < screenHeight)
        return TaskbarEdge::Bottom;
    return TaskbarEdge::Right;
}

int CPopupPlacement::heightFor(int textHeight)
{
    return textHeight < kMinTextHeight ? kMinHeight : textHeight + kTextExtra;
}

namespace {

PopupSlot slotAt(TaskbarEdge edge, int left, int top, int height)
{
    return PopupSlot{RECT{left, top, left + CPopupPlacement::kWidth, top + height}, edge};
}

} // namespace

PopupSlot CPopupPlacement::corner(TaskbarEdge edge, const RECT& workArea, int height)
{
    switch (edge) {
    case TaskbarEdge::Top:
        return slotAt(edge, workArea.right - kWidth, workArea.top, height);
    case TaskbarEdge::Left:
        return slotAt(edge, workArea.left, workArea.bottom - height, height);
    case TaskbarEdge::Right:
    case TaskbarEdge::Bottom:
    default:
        return slotAt(edge, workArea.right - kWidth, workArea.bottom - height, height);
    }
}

PopupSlot CPopupPlacement::next(TaskbarEdge edge, const RECT& workArea, const PopupSlot& previous, int height)
{
    if (previous.edge != edge)
        return corner(edge, workArea, height);
    const RECT& p = previous.rect;
    if (edge == TaskbarEdge::Top) {
        // Downwards from the top; a full column starts again at the top, further left.
        if (p.bottom + height > workArea.bottom)
            return slotAt(edge, p.left - kWidth, workArea.top, height);
        return slotAt(edge, p.left, p.bottom, height);
    }
    // Upwards from the bottom; a full column starts again at the bottom, away from the taskbar
    // side (rightwards for a taskbar on the left).
    if (p.top - height < workArea.top) {
        const int left = edge == TaskbarEdge::Left ? p.left + kWidth : p.left - kWidth;
        return slotAt(edge, left, workArea.bottom - height, height);
    }
    return slotAt(edge, p.left, p.top - height, height);
}

RECT CPopupPlacement::sliding(const PopupSlot& slot, int shown)
{
    RECT rect = slot.rect;
    if (slot.edge == TaskbarEdge::Top)
        rect.bottom = rect.top + shown;
    else
        rect.top = rect.bottom - shown;
    return rect;
}
