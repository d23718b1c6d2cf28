#include "CChronelCommandLine.h"

#include "CApplication.h"

#include <cwctype>

namespace {

std::wstring trim(const std::wstring& text)
{
    size_t first = 0, last = text.size();
    while (first < last && std::iswspace(text[first]))
        ++first;
    while (last > first && std::iswspace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

} // namespace

CChronelCommandLine::Command CChronelCommandLine::classify(const std::wstring& arguments)
{
    const std::wstring command = trim(arguments);
    struct Entry {
        const wchar_t* text;
        Command command;
    };
    static const Entry entries[] = {{L"show", Command::Show},         {L"remove", Command::Remove},
                                    {L"noShow", Command::NoShow},     {L"Install", Command::Install},
                                    {L"uninstall", Command::Uninstall}};
    for (const Entry& entry : entries)
        if (_wcsicmp(command.c_str(), entry.text) == 0)
            return entry.command;
    return Command::Normal;
}

CChronelCommandLine CChronelCommandLine::read(const std::wstring& arguments)
{
    const CCommandLineInfo framework = CCommandLineInfo::parse(arguments);
    const std::wstring whole = trim(arguments);
    CChronelCommandLine line;
    line.command = classify(arguments);
    line.regServer = framework.regServer || _wcsicmp(whole.c_str(), L"RegServer") == 0;
    line.unregServer = framework.unregServer || _wcsicmp(whole.c_str(), L"UnregServer") == 0;
    line.startedByCom = framework.startedByCom();
    return line;
}
