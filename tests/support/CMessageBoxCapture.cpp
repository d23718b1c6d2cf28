#include "CMessageBoxCapture.h"

#include "UniqueHandle.h"

#include <sstream>

namespace {

thread_local CMessageBoxCapture* t_capture = nullptr;

std::wstring windowText(HWND window)
{
    int length = GetWindowTextLengthW(window);
    std::wstring text(length + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), length + 1));
    return text;
}

// A message box is a dialog whose text is a static control with id 0xFFFF, and which holds
// nothing but static controls and push buttons. Our own dialogs use 0xFFFF for their plain
// labels too, but they also hold edits, combo boxes, check boxes or radio buttons.
bool isMessageBox(HWND window)
{
    wchar_t className[16];
    if (!GetClassNameW(window, className, 16) || wcscmp(className, L"#32770") != 0)
        return false;
    HWND text = GetDlgItem(window, 0xFFFF);
    if (!text || (GetWindowLongW(text, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        return false;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t childClass[16];
        if (!GetClassNameW(child, childClass, 16))
            return false;
        if (_wcsicmp(childClass, L"Static") == 0)
            continue;
        if (_wcsicmp(childClass, L"Button") != 0)
            return false;
        const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
        if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)
            return false;
    }
    return true;
}

UINT iconOf(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        HICON shown = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        const struct {
            LPCWSTR id;
            UINT flag;
        } known[] = {{IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                     {IDI_HAND, MB_ICONHAND},
                     {IDI_QUESTION, MB_ICONQUESTION},
                     {IDI_ASTERISK, MB_ICONASTERISK}};
        for (const auto& k : known) {
            if (shown && shown == LoadIconW(nullptr, k.id))
                return k.flag;
        }
    }
    return 0;
}

UINT buttonsOf(HWND box)
{
    auto has = [box](int id) { return GetDlgItem(box, id) != nullptr; };
    if (has(IDYES) && has(IDNO))
        return has(IDCANCEL) ? MB_YESNOCANCEL : MB_YESNO;
    if (has(IDABORT))
        return MB_ABORTRETRYIGNORE;
    if (has(IDRETRY))
        return MB_RETRYCANCEL;
    return has(IDCANCEL) && has(IDOK) ? MB_OKCANCEL : MB_OK;
}

std::string utf8(const std::wstring& text)
{
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), bytes, nullptr, nullptr);
    return out;
}

std::wstring wide(const std::string& text)
{
    int chars = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(chars, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), chars);
    return out;
}

} // namespace

CMessageBoxCapture::CMessageBoxCapture(Answer answer, Recorded recorded)
    : m_answer(std::move(answer)), m_recorded(std::move(recorded)), m_previous(t_capture)
{
    t_capture = this;
    m_hook = SetWindowsHookExW(WH_CBT, &CMessageBoxCapture::hookProc, nullptr, GetCurrentThreadId());
}

CMessageBoxCapture::~CMessageBoxCapture()
{
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    t_capture = m_previous;
}

std::vector<CapturedBox> CMessageBoxCapture::boxes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}

LRESULT CALLBACK CMessageBoxCapture::hookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && t_capture)
        t_capture->onActivate(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CMessageBoxCapture::onActivate(HWND window)
{
    if (!isMessageBox(window) || m_seen.count(window))
        return;
    m_seen.insert(window);

    CapturedBox box;
    box.caption = windowText(window);
    box.text = windowText(GetDlgItem(window, 0xFFFF));
    box.icon = iconOf(window);
    box.buttons = buttonsOf(window);
    int answer = m_answer ? m_answer(box) : 0;
    if (answer == 0)
        answer = LOWORD(SendMessageW(window, DM_GETDEFID, 0, 0));
    box.answer = answer;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_boxes.push_back(box);
    }
    if (m_recorded)
        m_recorded(box);
    // Posted: the box is still being activated; its own message loop presses the button.
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, answer)));
}

std::string CMessageBoxCapture::toLogLine(const CapturedBox& box)
{
    std::ostringstream line;
    line << box.icon << '\t' << box.buttons << '\t' << box.answer << '\t' << utf8(box.caption) << '\t'
         << utf8(box.text) << '\n';
    return line.str();
}

std::vector<CapturedBox> CMessageBoxCapture::readLog(const std::wstring& path)
{
    std::vector<CapturedBox> boxes;
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 0, nullptr));
    if (!file)
        return boxes;
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        content.append(buffer, got);

    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        CapturedBox box;
        std::string caption, text;
        fields >> box.icon >> box.buttons >> box.answer;
        fields.get(); // the tab after the answer
        std::getline(fields, caption, '\t');
        std::getline(fields, text);
        box.caption = wide(caption);
        box.text = wide(text);
        boxes.push_back(box);
    }
    return boxes;
}
