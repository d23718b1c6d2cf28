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

namespace {

unsigned short portFrom(const wchar_t* name)
{
    std::wstring text = variable(name);
    unsigned long port = text.empty() ? 0 : std::wcstoul(text.c_str(), nullptr, 10);
    return port > 0 && port < 65536 ? static_cast<unsigned short>(port) : 0;
}

} // namespace

unsigned short ntpServerPort() { return portFrom(L"VELMORA_NTP_PORT"); }

unsigned short httpServerPort() { return portFrom(L"VELMORA_HTTP_PORT"); }

std::wstring httpServerRoot()
{
    // Wine shows the host's file system as drive Z:.
    std::wstring host = variable(L"VELMORA_HTTP_ROOT");
    if (host.empty() || host.front() != L'/')
        return {};
    std::wstring path = L"Z:" + host;
    for (auto& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    if (path.back() != L'\\')
        path += L'\\';
    return path;
}

} // namespace testenv
