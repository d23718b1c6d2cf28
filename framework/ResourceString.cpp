#include "ResourceString.h"

#include "CModule.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

std::wstring loadString(UINT id, HMODULE module)
{
    if (!module)
        module = CModule::instance();
    // With a zero buffer size LoadStringW hands out a pointer into the resource itself.
    const wchar_t* text = nullptr;
    int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text)
        return {};
    return std::wstring(text, static_cast<size_t>(length));
}

std::wstring formatTextV(const wchar_t* format, va_list args)
{
    // msvcrt's _vsnwprintf reads %s in a wide format as a wide string, as the string tables
    // expect; it returns -1 while the buffer is too small.
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = _vsnwprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < buffer.size())
            return std::wstring(buffer.data(), static_cast<size_t>(n));
        if (buffer.size() > (1u << 20))
            return {};
        buffer.resize(buffer.size() * 4);
    }
}

std::wstring formatText(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text = formatTextV(format, args);
    va_end(args);
    return text;
}

std::wstring formatString(UINT id, ...)
{
    std::wstring format = loadString(id);
    va_list args;
    va_start(args, id);
    std::wstring text = formatTextV(format.c_str(), args);
    va_end(args);
    return text;
}

std::wstring substituteString(UINT id, std::initializer_list<std::wstring> args)
{
    const std::wstring pattern = loadString(id);
    std::wstring out;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] == L's') {
            if (next != args.end())
                out += *next++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

std::wstring replaceAll(std::wstring text, const std::wstring& placeholder, const std::wstring& value)
{
    if (placeholder.empty())
        return text;
    for (size_t at = text.find(placeholder); at != std::wstring::npos; at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
    return text;
}
