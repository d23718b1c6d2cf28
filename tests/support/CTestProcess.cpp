#include "CTestProcess.h"

#include "CChildProcess.h"

#include <shlwapi.h>

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
    // A process still running when the time is up is ended by CChildProcess's destructor.
    CChildProcess process(program, arguments);
    Outcome outcome;
    outcome.finished = process.waitForExit(timeoutMs, &outcome.exitCode);
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
