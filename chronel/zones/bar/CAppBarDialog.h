#pragma once
// A modeless dialog that is an application desktop toolbar: it docks at a screen edge as the
// shell reserves room for it, or floats; it can slide out of view when not in use
// (auto-hide) and stay above other windows. Dragging it by its client area proposes an edge
// or floating; the bar takes the proposal when the drag ends. The shell is reached through
// IAppBarShell; its notifications arrive as the registered message "AppBarNotify".

#include "AppBarState.h"
#include "CDialog.h"
#include "IAppBarShell.h"

class CAppBarDialog : public CDialog {
public:
    static constexpr UINT kAutoHideCheckMs = 400;
    static constexpr DWORD kSlideMs = 400;
    // About one step per system timer tick.
    static constexpr UINT kSlideStepMs = 10;

    CAppBarDialog(UINT templateId, IAppBarShell& shell);
    ~CAppBarDialog() override;

    const AppBarState& state() const { return m_state; }
    DWORD allowed() const { return m_allowed; }
    SIZE sizeIncrement() const { return m_sizeIncrement; }
    SIZE minSize() const { return m_minSize; }
    // The edge a drag in progress proposes; appbar::kNone otherwise.
    int proposedEdge() const { return m_proposedEdge; }
    bool fullScreenAppOpen() const { return m_fullScreenAppOpen; }
    // An auto-hidden bar that has slid out of view (or is sliding there).
    bool outOfView() const { return m_outOfView; }
    // The taskbar's ABS_AUTOHIDE | ABS_ALWAYSONTOP as last seen.
    UINT taskbarState() const { return m_taskbarState; }
    bool registered() const { return m_registered; }
    bool sliding() const { return m_sliding; }
    // Where the window is going (or is, when no slide runs).
    RECT targetRect() const;
    // The registered "AppBarNotify" message.
    UINT notifyMessage() const { return m_notifyMessage; }

    // Takes state `edge`: undoes the auto-hide registration of the current edge, then
    // floats, leaves the shell, or docks (auto-hidden when asked and the shell agrees),
    // moves the window there and sets its z-order.
    void applyState(int edge);
    // Slides an auto-hidden docked bar into view or out of it.
    void showAutoHidden(bool inView);

protected:
    // Once the window exists, before anything else: the window as created gives the minimum
    // size, the size increments and the defaults (docked at the top, one template thickness
    // at each edge, floating twice as wide about the same middle), which it returns.
    AppBarState measure(DWORD allowed);
    // The state to start from, before the first applyState.
    void setInitialState(const AppBarState& state) { m_state = state; }
    // ABM_NEW with "AppBarNotify" as the callback, the auto-hide timer, and the taskbar's state.
    void registerBar();
    // Leaves the auto-hide registration and the shell (ABM_REMOVE); stops the timers.
    void unregisterBar();

    // The auto-hide or always-on-top switch changed (the menu, the taskbar): the base class
    // sets it and applies the state; a derived bar may also store it.
    virtual void changeAutoHide(bool on);
    virtual void changeAlwaysOnTop(bool on);
    // The shell refused the auto-hide registration of an edge; AutoHide is already off.
    virtual void onAutoHideRefused() {}
    // A state was applied: place the controls for docked or floating.
    virtual void onStateApplied() {}

    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    IAppBarShell& shell() { return m_shell; }

private:
    static RECT screenRect();
    static SIZE borderSize();
    RECT windowRect() const;
    SIZE frameSize() const;
    // Docked at `edge`: the screen, narrowed by ABM_QUERYPOS unless auto-hidden, cut to the
    // edge's thickness.
    RECT dockedRect(int edge, bool autoHidden);
    int clampedThickness(int edge) const;
    bool autoHideBarIsUs(int edge);
    bool setAutoHideBar(int edge, bool on);
    void setPos(int edge, const RECT& rect, RECT* granted);
    void applyZOrder();
    // Moves the window to `target`, sliding when the system drags full windows.
    void slideTo(const RECT& target);
    void onSlideStep();
    void stopSlide();
    void moveWindow(const RECT& r);
    void onAutoHideCheck();
    void onNotify(WPARAM code, LPARAM lParam);

    LRESULT hitTest(LPARAM lParam);
    void onMoving(RECT& rect);
    void onSizing(UINT side, RECT& rect);
    void onExitSizeMove();
    void onGetMinMaxInfo(MINMAXINFO& info);

    IAppBarShell& m_shell;
    UINT m_notifyMessage;
    AppBarState m_state;
    DWORD m_allowed = 0;
    SIZE m_sizeIncrement{1, 1};
    SIZE m_minSize{0, 0};
    int m_proposedEdge = appbar::kNone;
    bool m_fullScreenAppOpen = false;
    bool m_outOfView = false;
    UINT m_taskbarState = 0;
    bool m_registered = false;
    bool m_moving = false;

    bool m_sliding = false;
    RECT m_slideFrom{};
    RECT m_slideTo{};
    DWORD m_slideStart = 0;
};
