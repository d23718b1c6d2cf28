#include "CTestProcess.h"

#include "UniqueHandle.h"

#include <shlwapi.h>

#include <vector>

namespace testprocess {

std::wstring binFolder()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

Outcome run(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    Outcome outcome;
    if (!CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return outcome;
    CHandle process(info.hProcess);
    CHandle thread(info.hThread);
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 255);
        WaitForSingleObject(process.get(), 5000);
        return outcome;
    }
    outcome.finished = true;
    GetExitCodeProcess(process.get(), &outcome.exitCode);
    return outcome;
}

CEnvironmentVariable::CEnvironmentVariable(const wchar_t* name, const wchar_t* value) : m_name(name)
{
    wchar_t buffer[4096];
    DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    if (n > 0 && n < 4096) {
        m_hadOld = true;
        m_old.assign(buffer, n);
    }
    SetEnvironmentVariableW(name, value);
}

CEnvironmentVariable::~CEnvironmentVariable()
{
    SetEnvironmentVariableW(m_name.c_str(), m_hadOld ? m_old.c_str() : nullptr);
}

CWineVersionOverride::CWineVersionOverride(const wchar_t* exeName, const wchar_t* version)
    : m_keyPath(std::wstring(L"Software\\Wine\\AppDefaults\\") + exeName)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

CWineVersionOverride::~CWineVersionOverride() { SHDeleteKeyW(HKEY_CURRENT_USER, m_keyPath.c_str()); }

} // namespace testprocess
