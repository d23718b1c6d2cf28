#include "SafePath.h"

#include <windows.h>

#include <cwctype>

namespace safepath {

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isForbidden(wchar_t c)
{
    return c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' ||
           c == L'?' || c == L'*';
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices in every folder, with any extension.
bool isDeviceName(std::wstring_view component)
{
    std::wstring base(component.substr(0, component.find(L'.')));
    for (auto& c : base)
        c = static_cast<wchar_t>(std::towupper(c));
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL")
        return true;
    return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
           base[3] >= L'1' && base[3] <= L'9';
}

bool isSafeComponent(std::wstring_view component)
{
    if (component.empty() || component == L"." || component == L"..")
        return false;
    for (wchar_t c : component) {
        if (isForbidden(c))
            return false;
    }
    const wchar_t last = component.back();
    return last != L'.' && last != L' ' && !isDeviceName(component);
}

} // namespace

bool isSafeRelative(std::wstring_view name)
{
    if (name.empty() || isSeparator(name.front()))
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !isSeparator(name[end]))
            ++end;
        if (!isSafeComponent(name.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

std::wstring inside(const std::wstring& folder, std::wstring_view name)
{
    if (!isSafeRelative(name))
        return {};
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    for (wchar_t c : name)
        path += c == L'/' ? L'\\' : c;
    return path;
}

bool createParents(const std::wstring& folder, const std::wstring& path)
{
    size_t from = folder.size();
    while (from < path.size() && path[from] == L'\\')
        ++from;
    for (size_t slash = path.find(L'\\', from); slash != std::wstring::npos;
         slash = path.find(L'\\', slash + 1)) {
        const std::wstring parent = path.substr(0, slash);
        if (!CreateDirectoryW(parent.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

} // namespace safepath
