#pragma once
// A hidden window for tests that records the messages it receives (with copies of the texts
// and samples the private messages point to) and can hand chosen messages to a handler.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct RecordedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::wstring text; // the text lParam points to, for the messages that carry one
};

class CMessageWindow {
public:
    using Handler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam)>;

    // Messages listed in `textMessages` carry a const wchar_t* in lParam whose text is copied.
    explicit CMessageWindow(std::vector<UINT> textMessages = {});
    ~CMessageWindow();
    CMessageWindow(const CMessageWindow&) = delete;
    CMessageWindow& operator=(const CMessageWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }
    // Sees every message first; returning true stops the default handling.
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // Called with each recorded message as it arrives (a sample can be copied here).
    void setRecorder(std::function<void(const RecordedMessage&)> recorder) { m_recorder = std::move(recorder); }

    // Records only messages in the WM_USER range and the ones added with watch().
    void watch(UINT message) { m_watched.push_back(message); }
    // The window answers `message` with `result` (after recording it), as a sent message's
    // receiver does.
    void answer(UINT message, LRESULT result) { m_answers.push_back({message, result}); }

    const std::vector<RecordedMessage>& messages() const { return m_messages; }
    std::vector<RecordedMessage> messagesOf(UINT message) const;
    size_t count(UINT message) const { return messagesOf(message).size(); }
    void clear() { m_messages.clear(); }

    // Dispatches this thread's messages until `done` is true or `timeoutMs` has passed.
    static bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
    // Dispatches this thread's messages for `ms` milliseconds.
    static void pumpFor(DWORD ms);

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool records(UINT message) const;

    HWND m_hwnd = nullptr;
    std::vector<std::pair<UINT, LRESULT>> m_answers;
    std::vector<UINT> m_textMessages;
    std::vector<UINT> m_watched;
    std::vector<RecordedMessage> m_messages;
    Handler m_handler;
    std::function<void(const RecordedMessage&)> m_recorder;
};
