#pragma once
// Scoped GDI state: a window's DC, a paint cycle, and an object selected into a DC. Each
// gives back what it took when it goes out of scope.

#include <windows.h>

// GetDC of a window, released to that window.
class CWindowDc {
public:
    explicit CWindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~CWindowDc()
    {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    CWindowDc(const CWindowDc&) = delete;
    CWindowDc& operator=(const CWindowDc&) = delete;
    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_window;
    HDC m_dc;
};

// BeginPaint and EndPaint of one WM_PAINT.
class CPaintDc {
public:
    explicit CPaintDc(HWND window) : m_window(window) { m_dc = BeginPaint(window, &m_paint); }
    ~CPaintDc() { EndPaint(m_window, &m_paint); }
    CPaintDc(const CPaintDc&) = delete;
    CPaintDc& operator=(const CPaintDc&) = delete;
    HDC get() const { return m_dc; }
    const PAINTSTRUCT& paint() const { return m_paint; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc = nullptr;
};

// An object selected into a DC; the one it replaced is selected again at the end. select()
// may change the object meanwhile: the first replaced one is what comes back.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
    ~CSelectObject()
    {
        if (m_old && m_old != HGDI_ERROR)
            SelectObject(m_dc, m_old);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
    void select(HGDIOBJ object) { SelectObject(m_dc, object); }
    bool ok() const { return m_old && m_old != HGDI_ERROR; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};
