#pragma once
// Answers the program's dialogs the way a person would fill them in, for the browser tests:
// a CBT hook sees a dialog activate and, by the controls it has, knows which it is.
// - The Reminder dialog: types the text, chooses a countdown of hours and minutes or a repeat
//   every N days (or keeps the dialog's own times), ticks "Delete the reminder after
//   completion" when asked, and presses OK or Cancel.
// - The Time Zone dialog: types the name, chooses a catalogue entry, presses OK or Cancel.
// - The Confirm Message dialog: ticks "Do not show this message next time" when asked and
//   presses its first or second button.
// One answer is used by one dialog; without one the dialog is cancelled, so a test never
// hangs on it.

#include <windows.h>

#include <string>

class CDialogAnswers {
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

    struct ZoneAnswer {
        bool ok = false;
        std::wstring name;
        int catalogueIndex = -1; // -1: as the dialog chose
    };
    struct ConfirmAnswer {
        bool first = false;
        bool dontShowAgain = false;
    };

    CDialogAnswers();
    ~CDialogAnswers();
    CDialogAnswers(const CDialogAnswers&) = delete;
    CDialogAnswers& operator=(const CDialogAnswers&) = delete;

    void set(const Answer& answer) { m_answer = answer; }
    void set(const ZoneAnswer& answer) { m_zone = answer; }
    void set(const ConfirmAnswer& answer) { m_confirm = answer; }
    // Dialogs answered so far, and the Confirm Message dialogs among them.
    int answered() const { return m_answered; }
    int confirmations() const { return m_confirmations; }

private:
    static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam);
    void onActivate(HWND dialog);
    void answerReminder(HWND dialog);
    void answerZone(HWND dialog);
    void answerConfirm(HWND dialog);

    HHOOK m_hook = nullptr;
    Answer m_answer;
    ZoneAnswer m_zone;
    ConfirmAnswer m_confirm;
    int m_answered = 0;
    int m_confirmations = 0;
    HWND m_last = nullptr;
};
