// A stand-in program for the setup tests. With VELMORA_PROBE_LOG set it appends one line to
// that file: whether it was started with the busy-cursor feedback, its command line and its
// current folder. With VELMORA_PROBE_SIGNAL set it then sets the event of that name. With
// neither (as a service, which inherits no test environment) it does nothing at all.

#include <windows.h>

#include <string>

namespace {

std::wstring variable(const wchar_t* name)
{
    wchar_t buffer[1024];
    DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
    return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}

void append(const std::wstring& path, const std::wstring& line)
{
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string text(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), text.data(), bytes, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

} // namespace

int main()
{
    std::wstring log = variable(L"VELMORA_PROBE_LOG");
    if (!log.empty()) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        GetStartupInfoW(&startup);
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        append(log, std::wstring((startup.dwFlags & STARTF_FORCEONFEEDBACK) ? L"feedback" : L"no-feedback") + L"\t" +
                        GetCommandLineW() + L"\t" + folder + L"\n");
    }
    std::wstring signal = variable(L"VELMORA_PROBE_SIGNAL");
    if (!signal.empty()) {
        HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, signal.c_str());
        if (event) {
            SetEvent(event);
            CloseHandle(event);
        }
    }
    return 0;
}
