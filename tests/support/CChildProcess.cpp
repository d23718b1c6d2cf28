#include "CChildProcess.h"

#include "CTestProcess.h"

#include <tlhelp32.h>

namespace {

std::wstring textOf(HWND hwnd)
{
    wchar_t text[1024] = {};
    GetWindowTextW(hwnd, text, 1024);
    return text;
}

std::wstring classOf(HWND hwnd)
{
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

struct Search {
    DWORD process;
    std::vector<FoundWindow> found;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == search->process)
        search->found.push_back({hwnd, classOf(hwnd), textOf(hwnd)});
    return TRUE;
}

BOOL CALLBACK collectStatics(HWND hwnd, LPARAM lParam)
{
    if (_wcsicmp(classOf(hwnd).c_str(), L"Static") == 0) {
        std::wstring text = textOf(hwnd);
        if (!text.empty()) {
            auto* all = reinterpret_cast<std::wstring*>(lParam);
            if (!all->empty())
                *all += L"\n";
            *all += text;
        }
    }
    return TRUE;
}

std::vector<DWORD> processesNamed(const std::wstring& exeName)
{
    std::vector<DWORD> ids;
    CFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        const wchar_t* name = wcsrchr(entry.szExeFile, L'\\');
        name = name ? name + 1 : entry.szExeFile;
        if (_wcsicmp(name, exeName.c_str()) == 0 && entry.th32ProcessID != GetCurrentProcessId())
            ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

} // namespace

bool CChildProcess::allEndWithin(const std::wstring& exeName, DWORD ms)
{
    const DWORD start = GetTickCount();
    std::vector<DWORD> left = processesNamed(exeName);
    while (!left.empty() && GetTickCount() - start < ms) {
        Sleep(50);
        left = processesNamed(exeName);
    }
    for (DWORD id : left) {
        CHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (process) {
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), 5000);
        }
    }
    return left.empty();
}

std::wstring CChildProcess::besideTests(const std::wstring& file) { return testprocess::binFolder() + file; }

CChildProcess::CChildProcess(const std::wstring& program, const std::wstring& arguments)
{
    const std::wstring path = program.find(L'\\') == std::wstring::npos ? besideTests(program) : program;
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    CProcessInformation info;
    if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       info.put())) {
        m_id = info.processId();
        m_process = info.releaseProcess();
    }
}

CChildProcess::~CChildProcess()
{
    if (running()) {
        TerminateProcess(m_process.get(), 1);
        WaitForSingleObject(m_process.get(), 5000);
    }
}

bool CChildProcess::running() const { return m_process && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT; }

bool CChildProcess::waitForExit(DWORD ms, DWORD* exitCode)
{
    if (!m_process || WaitForSingleObject(m_process.get(), ms) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        GetExitCodeProcess(m_process.get(), exitCode);
    return true;
}

std::vector<FoundWindow> CChildProcess::windows() const
{
    Search search{m_id, {}};
    EnumWindows(&collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND CChildProcess::waitForWindow(const wchar_t* className, const wchar_t* title, DWORD ms) const
{
    const DWORD start = GetTickCount();
    do {
        for (const FoundWindow& w : windows())
            if (w.className == className && (!title || w.title == title))
                return w.hwnd;
        Sleep(20);
    } while (GetTickCount() - start < ms && running());
    return nullptr;
}

std::wstring CChildProcess::dialogText(HWND dialog)
{
    std::wstring all;
    EnumChildWindows(dialog, &collectStatics, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::wstring CChildProcess::runCapturing(const std::wstring& program, const std::wstring& arguments, DWORD ms,
                                         DWORD* exitCode)
{
    wchar_t folder[MAX_PATH] = {}, file[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"out", 0, file);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    CFileHandle output(CreateFileW(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_TEMPORARY, nullptr));
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    startup.hStdInput = nullptr;
    CProcessInformation info;
    if (!output || !CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                   nullptr, &startup, info.put())) {
        DeleteFileW(file);
        return L"<could not start " + program + L">";
    }
    CHandle process = info.releaseProcess();
    if (WaitForSingleObject(process.get(), ms) != WAIT_OBJECT_0)
        TerminateProcess(process.get(), 1);
    if (exitCode)
        GetExitCodeProcess(process.get(), exitCode);
    output.reset();

    std::wstring text;
    CFileHandle input(CreateFileW(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
    if (input) {
        char buffer[4096];
        DWORD got = 0;
        std::string bytes;
        while (ReadFile(input.get(), buffer, sizeof buffer, &got, nullptr) && got)
            bytes.append(buffer, got);
        int n = MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        text.resize(n);
        MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    }
    input.reset();
    DeleteFileW(file);
    return text;
}
