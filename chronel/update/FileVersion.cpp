#include "FileVersion.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace fileversion {

std::vector<unsigned> split(const std::wstring& text)
{
    std::vector<unsigned> parts;
    size_t i = 0;
    while (i < text.size()) {
        if (!std::iswdigit(text[i])) {
            ++i;
            continue;
        }
        unsigned long long value = 0;
        while (i < text.size() && std::iswdigit(text[i])) {
            if (value < 0xFFFFFFFFull)
                value = value * 10 + static_cast<unsigned>(text[i] - L'0');
            ++i;
        }
        parts.push_back(value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<unsigned>(value));
    }
    return parts;
}

std::pair<unsigned, unsigned> majorMinor(const std::wstring& text)
{
    // Split at the first full stop only: "2.1" is major 2, minor 1.
    const size_t dot = text.find(L'.');
    const std::wstring major = text.substr(0, dot);
    const std::wstring minor = dot == std::wstring::npos ? std::wstring() : text.substr(dot + 1);
    const auto number = [](const std::wstring& part) {
        return static_cast<unsigned>(std::wcstoul(part.c_str(), nullptr, 10));
    };
    return {number(major), number(minor)};
}

std::optional<std::vector<unsigned>> numbers(const std::wstring& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
        return std::nullopt;

    WORD language = 1033, codePage = 1252;
    void* table = nullptr;
    UINT tableBytes = 0;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &table, &tableBytes) &&
        tableBytes >= 2 * sizeof(WORD)) {
        const WORD* pair = static_cast<const WORD*>(table);
        language = pair[0];
        codePage = pair[1];
    }
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04X%04X\\FileVersion", language, codePage);
    void* text = nullptr;
    UINT characters = 0;
    if (!VerQueryValueW(block.data(), query, &text, &characters) || characters == 0)
        return std::nullopt;
    // The length counts the terminating zero when there is one; never read past it.
    const wchar_t* chars = static_cast<const wchar_t*>(text);
    return split(std::wstring(chars, wcsnlen(chars, characters)));
}

} // namespace fileversion
