#pragma once
// The shell's side of application desktop toolbars, for tests: it keeps the bars registered,
// the room each was granted and the auto-hide bar of each edge, and answers as the shell
// does (a taskbar holds the screen's bottom strip). It can refuse every auto-hide bar, which
// Wine's shell never does, and it says where the pointer is. Every call is recorded.

#include "IAppBarShell.h"

#include <map>
#include <optional>
#include <set>
#include <vector>

class CAppBarShellStandIn : public IAppBarShell {
public:
    static constexpr int kTaskbarHeight = 30;

    struct Call {
        DWORD message;
        HWND window;
        UINT edge;
        RECT rect;   // as the bar sent it
        LPARAM lParam;
        UINT callbackMessage;
    };

    CAppBarShellStandIn();

    UINT_PTR message(DWORD message, APPBARDATA& data) override;
    POINT cursorPos() override { return cursor; }

    // The pointer: at the screen's centre unless a test moves it.
    POINT cursor{};
    // What ABM_GETSTATE answers.
    UINT taskbarState = ABS_ALWAYSONTOP;
    bool refuseAutoHide = false;
    // No shell at all (as under Wine's null graphics driver): every message fails.
    bool absent = false;
    // The taskbar's room, along the bottom edge.
    RECT taskbar{};

    std::vector<Call> calls;
    size_t count(DWORD message) const;
    std::optional<Call> last(DWORD message) const;
    void clearCalls() { calls.clear(); }

    bool registered(HWND window) const { return m_bars.count(window) != 0; }
    HWND autoHideBar(UINT edge) const;
    // The room granted to `window` by its last ABM_SETPOS (empty when it holds none).
    RECT reserved(HWND window) const;

private:
    // Keeps `rect` at `edge` clear of the taskbar and of the other bars at that edge.
    void adjust(HWND window, UINT edge, RECT& rect) const;

    std::set<HWND> m_bars;
    std::map<UINT, HWND> m_autoHide;
    std::map<HWND, std::pair<UINT, RECT>> m_reserved;
};
