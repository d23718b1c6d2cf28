#include "CApplication.h"

#include "CModule.h"
#include "ResourceString.h"

#include <algorithm>
#include <cwctype>

CApplication* CApplication::s_current = nullptr;

CCommandLineInfo CCommandLineInfo::parse(const std::wstring& arguments)
{
    CCommandLineInfo info;
    size_t i = 0;
    while (i < arguments.size()) {
        while (i < arguments.size() && std::iswspace(arguments[i]))
            ++i;
        size_t start = i;
        while (i < arguments.size() && !std::iswspace(arguments[i]))
            ++i;
        if (start == i)
            break;
        std::wstring token = arguments.substr(start, i - start);
        if (token.size() < 2 || (token[0] != L'-' && token[0] != L'/'))
            continue;
        token.erase(0, 1);
        info.switches.push_back(token);
        if (_wcsicmp(token.c_str(), L"RegServer") == 0)
            info.regServer = true;
        else if (_wcsicmp(token.c_str(), L"UnregServer") == 0)
            info.unregServer = true;
        else if (_wcsicmp(token.c_str(), L"Embedding") == 0)
            info.embedding = true;
        else if (_wcsicmp(token.c_str(), L"Automation") == 0)
            info.automation = true;
    }
    return info;
}

CApplication::CApplication() { s_current = this; }

CApplication::~CApplication()
{
    if (s_current == this)
        s_current = nullptr;
}

std::wstring CApplication::argumentsOf(const wchar_t* commandLine)
{
    if (!commandLine)
        return {};
    const wchar_t* p = commandLine;
    while (*p == L' ' || *p == L'\t')
        ++p;
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p == L'"')
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

int CApplication::run(HINSTANCE instance, int showCommand)
{
    m_instance = instance;
    CModule::set(instance);
    m_showCommand = showCommand;
    m_title = loadString(kAppTitleStringId, instance);
    m_arguments = argumentsOf(GetCommandLineW());
    m_commandLine = CCommandLineInfo::parse(m_arguments);
    int code = 0;
    try {
        if (initInstance())
            messageLoop();
        code = exitInstance();
    } catch (...) {
        code = 1;
    }
    return code;
}

void CApplication::addModeless(HWND dialog) { m_modeless.push_back(dialog); }

void CApplication::removeModeless(HWND dialog)
{
    m_modeless.erase(std::remove(m_modeless.begin(), m_modeless.end(), dialog), m_modeless.end());
}

int CApplication::messageLoop()
{
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        bool handled = false;
        for (HWND dialog : m_modeless) {
            if (IsWindow(dialog) && IsDialogMessageW(dialog, &msg)) {
                handled = true;
                break;
            }
        }
        if (!handled) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    m_exitCode = static_cast<int>(msg.wParam);
    return m_exitCode;
}
