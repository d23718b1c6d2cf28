#include "CModalScript.h"

#include <cwchar>

namespace {

thread_local CModalScript* t_scripts = nullptr;
constexpr UINT kTickMs = 10;
constexpr int kGiveUpTicks = 1000;

bool isDialogWindow(HWND window)
{
    wchar_t className[16] = {};
    return GetClassNameW(window, className, 16) && wcscmp(className, L"#32770") == 0;
}

} // namespace

CModalScript::CModalScript(int markerId, std::function<void(HWND)> script)
    : m_markerId(markerId), m_script(std::move(script)), m_next(t_scripts)
{
    t_scripts = this;
    m_timer = SetTimer(nullptr, 0, kTickMs, &CModalScript::onTimer);
}

CModalScript::~CModalScript()
{
    if (m_timer)
        KillTimer(nullptr, m_timer);
    for (CModalScript** p = &t_scripts; *p; p = &(*p)->m_next) {
        if (*p == this) {
            *p = m_next;
            break;
        }
    }
}

void CALLBACK CModalScript::onTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    for (CModalScript* s = t_scripts; s; s = s->m_next) {
        if (s->m_timer == id) {
            s->tick();
            return;
        }
    }
}

namespace {

struct Search {
    int marker;
    HWND found;
};

// Window enumeration callbacks are stdcall on x86: plain functions, not lambdas.
BOOL CALLBACK findMarked(HWND window, LPARAM lParam)
{
    auto* s = reinterpret_cast<Search*>(lParam);
    // Enabled: a dialog that has opened another modal one behind it is not the one.
    if (isDialogWindow(window) && IsWindowVisible(window) && IsWindowEnabled(window) && GetDlgItem(window, s->marker)) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK cancelDialog(HWND window, LPARAM)
{
    if (isDialogWindow(window))
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

} // namespace

HWND CModalScript::findDialog() const
{
    Search search{m_markerId, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), findMarked, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CModalScript::tick()
{
    if (HWND dialog = findDialog()) {
        KillTimer(nullptr, m_timer);
        m_timer = 0;
        m_ran = true;
        m_script(dialog);
        return;
    }
    if (++m_ticks < kGiveUpTicks)
        return;
    KillTimer(nullptr, m_timer);
    m_timer = 0;
    EnumThreadWindows(GetCurrentThreadId(), cancelDialog, 0);
}
