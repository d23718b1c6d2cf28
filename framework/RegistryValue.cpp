#include "RegistryValue.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

bool queryRegistryValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<BYTE>& data)
{
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    for (;;) {
        data.assign(size, 0);
        DWORD got = size;
        LONG rc = RegQueryValueExW(key, name, nullptr, &type, data.empty() ? nullptr : data.data(), &got);
        if (rc == ERROR_SUCCESS) {
            data.resize(got);
            return true;
        }
        if (rc != ERROR_MORE_DATA)
            return false;
        size = std::max(got, size * 2 + 64);
    }
}

std::wstring registryText(const std::vector<BYTE>& data)
{
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    if (!text.empty())
        std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    return text;
}

std::wstring expandEnvironment(const std::wstring& text, size_t minimumChars)
{
    DWORD capacity = static_cast<DWORD>(std::max<size_t>(minimumChars, 1));
    for (;;) {
        std::wstring buffer(capacity, L'\0');
        DWORD needed = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), capacity);
        if (needed == 0)
            return text;
        if (needed <= capacity) {
            buffer.resize(std::wcslen(buffer.c_str()));
            return buffer;
        }
        capacity = needed; // a long variable value: try again with room for it
    }
}
