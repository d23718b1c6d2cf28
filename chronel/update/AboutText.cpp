#include "AboutText.h"

#include "ResourceString.h"
#include "UpdateSettings.h"
#include "resource.h"

#include <cwchar>

namespace abouttext {

namespace {

void replaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to)
{
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The link goes inside an attribute: only a web address (or nothing) is taken, and nothing in it can end
// the attribute or the tag.
bool isWebAddress(const std::wstring& link)
{
    const auto startsWith = [&](const wchar_t* prefix) { return _wcsnicmp(link.c_str(), prefix, wcslen(prefix)) == 0; };
    return (startsWith(L"http://") || startsWith(L"https://")) &&
           link.find_first_of(L"\"<>\r\n") == std::wstring::npos;
}

} // namespace

std::wstring compose(const std::wstring& title, const std::wstring& text, const std::wstring& link)
{
    std::wstring body = text;
    replaceAll(body, L"%s", title);
    replaceAll(body, L"\\r\\n", L"<br>");
    replaceAll(body, L"\r\n", L"<br>");
    const std::wstring href = link.empty() || isWebAddress(link) ? link : loadString(IDS_PRODUCT_PAGE);
    return body + L"<br>" + L"<a target=\"_blank\" href=\"" + href + L"\">More Information</a>";
}

std::wstring html(const std::wstring& title)
{
    std::wstring link, text;
    if (!updatesettings::readEnciphered(updatesettings::kMoreInfoUrl, link))
        link = loadString(IDS_PRODUCT_PAGE);
    if (!updatesettings::readEnciphered(updatesettings::kAboutText, text))
        text = loadString(IDS_ABOUT_DEFAULT);
    return compose(title, text, link);
}

} // namespace abouttext
