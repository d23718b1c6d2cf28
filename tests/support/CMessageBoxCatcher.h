#pragma once
// Answers the message boxes that the code under test shows on this thread, and records their
// captions and texts: a CBT hook sees each message box as it is activated, reads it and
// closes it, so the product calls the real MessageBoxW.

#include <windows.h>

#include <string>
#include <vector>

class CMessageBoxCatcher {
public:
    struct SBox {
        std::wstring caption;
        std::wstring text;
    };

    // `answer` is the command each box is closed with.
    explicit CMessageBoxCatcher(int answer = IDOK);
    ~CMessageBoxCatcher();
    CMessageBoxCatcher(const CMessageBoxCatcher&) = delete;
    CMessageBoxCatcher& operator=(const CMessageBoxCatcher&) = delete;

    const std::vector<SBox>& boxes() const { return m_boxes; }

private:
    static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam);

    HHOOK m_hook = nullptr;
    int m_answer;
    std::vector<SBox> m_boxes;
    static thread_local CMessageBoxCatcher* s_current;
};
