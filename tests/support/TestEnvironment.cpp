#include "TestEnvironment.h"

#include <windows.h>

#include <cwchar>

namespace testenv {

std::wstring variable(const wchar_t* name)
{
    wchar_t buffer[1024];
    DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
    if (n == 0 || n >= 1024)
        return {};
    return std::wstring(buffer, n);
}

unsigned short ntpServerPort()
{
    std::wstring text = variable(L"VELMORA_NTP_PORT");
    unsigned long port = text.empty() ? 0 : std::wcstoul(text.c_str(), nullptr, 10);
    return port > 0 && port < 65536 ? static_cast<unsigned short>(port) : 0;
}

} // namespace testenv
