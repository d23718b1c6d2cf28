#include "ManifestText.h"

namespace manifest {

std::wstring decode(const std::vector<BYTE>& body)
{
    std::wstring text;
    const size_t characters = body.size() / 2;
    text.reserve(characters);
    for (size_t i = 0; i < characters; ++i)
        text.push_back(static_cast<wchar_t>(body[2 * i] | (body[2 * i + 1] << 8)));
    if (!text.empty() && text.front() == 0xFEFF)
        text.erase(0, 1);
    return text;
}

namespace {

bool isBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

} // namespace

std::wstring element(std::wstring_view text, std::wstring_view name)
{
    if (name.empty())
        return {};
    const std::wstring opening = L"<" + std::wstring(name) + L">";
    const std::wstring closing = L"</" + std::wstring(name) + L">";
    const size_t open = text.find(opening);
    const size_t close = text.find(closing);
    if (open == std::wstring_view::npos || close == std::wstring_view::npos)
        return {};
    size_t begin = open + opening.size();
    if (close < begin)
        return {};
    size_t end = close;
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return std::wstring(text.substr(begin, end - begin));
}

bool isYes(std::wstring_view value) { return value.substr(0, 3) == L"Yes"; }

} // namespace manifest
