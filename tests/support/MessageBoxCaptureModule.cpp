// Linked only into test builds of a program: when the variable VELMORA_MSGBOX_LOG names a
// file, the main thread's message boxes are captured, answered and appended to that file
// (one line each, see CMessageBoxCapture::toLogLine). VELMORA_MSGBOX_ANSWERS may list the
// buttons to press in order, as numbers separated by commas; boxes beyond the list get their
// default button. Without the variable the program shows its boxes as it always does.

#include "CMessageBoxCapture.h"
#include "UniqueHandle.h"

#include <cwchar>
#include <memory>
#include <vector>

namespace {

std::wstring variable(const wchar_t* name)
{
    wchar_t buffer[1024];
    DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
    return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}

class CModuleCapture {
public:
    CModuleCapture()
    {
        m_log = variable(L"VELMORA_MSGBOX_LOG");
        if (m_log.empty())
            return;
        std::wstring answers = variable(L"VELMORA_MSGBOX_ANSWERS");
        for (const wchar_t* p = answers.c_str(); *p;) {
            wchar_t* end = nullptr;
            long id = std::wcstol(p, &end, 10);
            if (end == p)
                break;
            m_answers.push_back(static_cast<int>(id));
            p = *end == L',' ? end + 1 : end;
        }
        m_capture = std::make_unique<CMessageBoxCapture>([this](const CapturedBox&) { return nextAnswer(); },
                                                         [this](const CapturedBox& box) { append(box); });
    }

private:
    int nextAnswer() { return m_next < m_answers.size() ? m_answers[m_next++] : 0; }

    void append(const CapturedBox& box)
    {
        std::string line = CMessageBoxCapture::toLogLine(box);
        CFileHandle file(CreateFileW(m_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_ALWAYS, 0, nullptr));
        DWORD written = 0;
        if (file)
            WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }

    std::wstring m_log;
    std::vector<int> m_answers;
    size_t m_next = 0;
    std::unique_ptr<CMessageBoxCapture> m_capture;
};

// Made before WinMain, on the main thread: the thread that shows the program's windows.
CModuleCapture g_capture;

} // namespace
