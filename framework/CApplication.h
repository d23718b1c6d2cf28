#pragma once
// The application object: one per program. It parses the framework's command-line switches,
// carries the application title (string 57344) and runs the message loop.

#include <windows.h>

#include <string>
#include <vector>

inline constexpr UINT kAppTitleStringId = 57344;

// The switches given after "-" or "/"; RegServer, UnregServer, Embedding and Automation are
// recognised, ignoring case.
struct CCommandLineInfo {
    bool regServer = false;
    bool unregServer = false;
    bool embedding = false;
    bool automation = false;
    std::vector<std::wstring> switches;

    static CCommandLineInfo parse(const std::wstring& arguments);
    bool startedByCom() const { return embedding || automation; }
};

class CApplication {
public:
    CApplication();
    virtual ~CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    static CApplication* current() { return s_current; }

    // initInstance, then the message loop when it returns true, then exitInstance.
    int run(HINSTANCE instance, int showCommand);

    HINSTANCE instanceHandle() const { return m_instance; }
    int showCommand() const { return m_showCommand; }
    const std::wstring& title() const { return m_title; }
    // The command line after the program's own name, as given.
    const std::wstring& arguments() const { return m_arguments; }
    const CCommandLineInfo& commandLineInfo() const { return m_commandLine; }

    HWND mainWindow() const { return m_mainWindow; }
    void setMainWindow(HWND window) { m_mainWindow = window; }

    // Modeless dialogs get their keyboard handling from the loop.
    void addModeless(HWND dialog);
    void removeModeless(HWND dialog);
    int messageLoop();

    // The text after the program name in a command line (the name may be quoted).
    static std::wstring argumentsOf(const wchar_t* commandLine);

protected:
    virtual bool initInstance() = 0;
    virtual int exitInstance() { return m_exitCode; }
    void setExitCode(int code) { m_exitCode = code; }

private:
    static CApplication* s_current;
    HINSTANCE m_instance = nullptr;
    int m_showCommand = SW_SHOWNORMAL;
    std::wstring m_title;
    std::wstring m_arguments;
    CCommandLineInfo m_commandLine;
    HWND m_mainWindow = nullptr;
    std::vector<HWND> m_modeless;
    int m_exitCode = 0;
};
