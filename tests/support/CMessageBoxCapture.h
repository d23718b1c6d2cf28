#pragma once
// Captures the message boxes of one thread with a CBT hook: when a box is activated its
// caption, text, icon and buttons are recorded and it is answered with a button, so the
// program under test calls the real MessageBox and nobody has to click.

#include <windows.h>

#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

struct CapturedBox {
    std::wstring caption;
    std::wstring text;
    UINT icon = 0;    // MB_ICONEXCLAMATION, MB_ICONHAND, MB_ICONQUESTION, MB_ICONASTERISK or 0
    UINT buttons = 0; // MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL, ...
    int answer = 0;   // the button pressed (IDOK, IDYES, ...)
};

class CMessageBoxCapture {
public:
    // Returns the button to press, or 0 for the box's default button.
    using Answer = std::function<int(const CapturedBox& box)>;

    // Told of each box once its answer is known.
    using Recorded = std::function<void(const CapturedBox& box)>;

    // Hooks the calling thread until the object ends.
    explicit CMessageBoxCapture(Answer answer = {}, Recorded recorded = {});
    ~CMessageBoxCapture();
    CMessageBoxCapture(const CMessageBoxCapture&) = delete;
    CMessageBoxCapture& operator=(const CMessageBoxCapture&) = delete;

    std::vector<CapturedBox> boxes() const;

    // One box as a line of the capture log that a program under test writes, and back.
    static std::string toLogLine(const CapturedBox& box);
    static std::vector<CapturedBox> readLog(const std::wstring& path);

private:
    static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam);
    void onActivate(HWND window);

    Answer m_answer;
    Recorded m_recorded;
    HHOOK m_hook = nullptr;
    CMessageBoxCapture* m_previous = nullptr;
    mutable std::mutex m_mutex;
    std::vector<CapturedBox> m_boxes;
    std::set<HWND> m_seen;
};
