#pragma once
// A balloon pop-up pointing at a screen point (the tray icon): a rounded body in the system's
// tooltip colours with an icon, a bold title, a text and optionally a close button, and a
// tail whose tip lies on the point. Several may be open at once; each closes after its
// display time or when the user closes it.

#include "CBalloonLayout.h"
#include "CWnd.h"
#include "UniqueHandle.h"

#include <windows.h>

#include <string>

class CBalloonWnd : public CWnd {
public:
    // Option bits.
    static constexpr DWORD kAutoDelete = 0x200;   // the object deletes itself with its window
    static constexpr DWORD kCloseButton = 0x400;  // a close button with a cross, top right
    static constexpr DWORD kDoubleFrame = 0x800;  // shaded double frame around the region
    static constexpr DWORD kTopmost = 0x1000;
    static constexpr DWORD kNoShadow = 0x2000;    // the class without the drop shadow
    static constexpr DWORD kNoFade = 0x4000;

    static constexpr wchar_t kShadowClass[] = L"OrvelBalloonDS";
    static constexpr wchar_t kNoShadowClass[] = L"OrvelBalloonNDS";
    static constexpr int kCloseButtonSize = 16;
    static constexpr UINT kFadeMs = 1000;
    // Texts wider than this wrap onto more lines.
    static constexpr int kMaxTextWidth = 320;

    // `icon` is a system icon (IDI_*). A displayTime of 0 keeps the balloon until it is closed;
    // a non-empty url is opened with the shell when the body is clicked.
    CBalloonWnd(std::wstring title, std::wstring text, LPCWSTR icon, DWORD options, UINT displayTime,
                std::wstring url = {});
    ~CBalloonWnd() override;

    // Creates the window owned by `owner`, lays it out around `anchor` and shows it. With
    // kAutoDelete (on a heap object) the window owns the object from then on.
    bool show(HWND owner, POINT anchor);
    // A heap balloon with kAutoDelete added; its window, or null when none could be made (the
    // object is then gone too).
    static HWND popup(HWND owner, POINT anchor, std::wstring title, std::wstring text, LPCWSTR icon,
                      DWORD options, UINT displayTime, std::wstring url = {});

    const std::wstring& title() const { return m_title; }
    const std::wstring& text() const { return m_text; }
    UINT displayTime() const { return m_displayTime; }
    DWORD options() const { return m_options; }
    LPCWSTR iconId() const { return m_iconId; }
    POINT anchor() const { return m_anchor; }
    const BalloonGeometry& geometry() const { return m_geometry; }
    // Window coordinates.
    const RECT& iconRect() const { return m_iconRect; }
    const RECT& closeButtonRect() const { return m_closeRect; }

    // Balloon objects that exist now.
    static int liveCount() { return s_live; }

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onFinalMessage() override;

private:
    static bool registerClasses();
    void layout();
    SIZE measureContent();
    void applyRegion(const BalloonGeometry& geometry);
    void paint(HDC dc);
    void paintCloseButton(HDC dc);
    void onButtonDown(POINT at);
    void onButtonUp(POINT at);
    void onMouseMove(POINT at);
    void setHot(bool hot);
    bool overCloseButton(POINT at) const;
    void close();

    std::wstring m_title;
    std::wstring m_text;
    std::wstring m_url;
    LPCWSTR m_iconId;
    HICON m_icon = nullptr; // shared system icon: not destroyed
    SIZE m_iconSize{};
    DWORD m_options;
    UINT m_displayTime;
    POINT m_anchor{};
    CGdiObject m_titleFont;
    BalloonGeometry m_geometry;
    CGdiObject m_region; // a copy of the window's region
    SIZE m_titleSize{};
    SIZE m_textSize{};
    RECT m_iconRect{};
    RECT m_titleRect{};
    RECT m_textRect{};
    RECT m_closeRect{};
    bool m_hot = false;
    bool m_pressed = false;   // the close button is held
    bool m_bodyDown = false;  // the button went down on the body
    bool m_trackingLeave = false;
    bool m_deleteWithWindow = false;

    static int s_live;
};
