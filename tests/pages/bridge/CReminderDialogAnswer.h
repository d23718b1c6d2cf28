#pragma once
// Answers the Reminder dialog the way a person would fill it in, for the browser tests: a
// CBT hook sees the dialog activate, types the text, chooses a countdown of hours and
// minutes or a repeat every N days (or keeps the dialog's own times), ticks "Delete the
// reminder after completion" when asked, and presses OK or Cancel. One answer is used by
// one dialog; without one the dialog is cancelled, so a test never hangs on it.

#include <windows.h>

#include <string>

class CReminderDialogAnswer {
public:
    struct Answer {
        bool ok = false;
        std::wstring text;
        bool countdown = false;
        int hours = 0;
        int minutes = 0;
        int everyDays = 0; // 0: once
        bool deleteWhenDone = false;
    };

    CReminderDialogAnswer();
    ~CReminderDialogAnswer();
    CReminderDialogAnswer(const CReminderDialogAnswer&) = delete;
    CReminderDialogAnswer& operator=(const CReminderDialogAnswer&) = delete;

    void set(const Answer& answer) { m_answer = answer; }
    int answered() const { return m_answered; }

private:
    static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam);
    void onActivate(HWND dialog);

    HHOOK m_hook = nullptr;
    Answer m_answer;
    int m_answered = 0;
    HWND m_last = nullptr;
};
