#pragma once
// Where reminder pop-ups go: the screen edge that holds the taskbar, a pop-up's height from
// its measured text, the corner at the taskbar for the first pop-up and the stacking of each
// later one on its predecessor. Pure geometry on given rectangles; the window reads the
// rectangles from the system.

#include <windows.h>

enum class TaskbarEdge { Left, Top, Right, Bottom };

// What the edge and the positions depend on.
struct PopupScreen {
    bool hasTaskbar = false; // a "Shell_TrayWnd" window exists
    RECT taskbar{};          // its window rectangle
    RECT workArea{};         // SPI_GETWORKAREA
    SIZE screen{};           // SM_CXSCREEN, SM_CYSCREEN
};

// A pop-up's place at full height, and the edge it was placed for.
struct PopupSlot {
    RECT rect{};
    TaskbarEdge edge = TaskbarEdge::Bottom;
};

class CPopupPlacement {
public:
    static constexpr int kWidth = 217;
    // The text wraps in the text area's width, (5, 22)-(212, height - 2).
    static constexpr int kTextWidth = 207;
    static constexpr RECT textArea(int height) { return RECT{5, 22, 212, height - 2}; }
    // Heading row (22) above the text and a few pixels below it.
    static constexpr int kTextExtra = 30;
    // Texts lower than this get the minimum height: two lines' room under the heading.
    static constexpr int kMinTextHeight = 32;
    static constexpr int kMinHeight = 62;

    static TaskbarEdge edgeOf(const PopupScreen& screen);
    // The two rules edgeOf chooses between.
    static TaskbarEdge edgeFromTaskbar(const RECT& taskbar, int screenWidth);
    static TaskbarEdge edgeFromWorkArea(const RECT& workArea, int screenHeight);

    static int heightFor(int textHeight);

    // The first pop-up: the work area's corner at the taskbar.
    static PopupSlot corner(TaskbarEdge edge, const RECT& workArea, int height);
    // A later pop-up: on its predecessor when that sits on the same edge, else at the corner.
    static PopupSlot next(TaskbarEdge edge, const RECT& workArea, const PopupSlot& previous, int height);

    // The window's rectangle while `shown` of its `slot` rows are out: it grows away from the
    // taskbar's side.
    static RECT sliding(const PopupSlot& slot, int shown);
};
