#pragma once
// Starting the built programs from a test, the way the product's callers start them.

#include <windows.h>

#include <string>

namespace testprocess {

// Folder of the running test program with a trailing backslash: the build puts every
// deliverable and test program side by side there.
std::wstring binFolder();

struct Outcome {
    bool finished = false; // ended within the time allowed (it is killed otherwise)
    DWORD exitCode = 0;
};

// Runs `program` with `arguments` and waits for it to end.
Outcome run(const std::wstring& program, const std::wstring& arguments = L"", DWORD timeoutMs = 60000);

// Sets (or with nullptr removes) a variable of this process's environment, which the
// programs it starts inherit; the old state comes back when the object ends.
class CEnvironmentVariable {
public:
    CEnvironmentVariable(const wchar_t* name, const wchar_t* value);
    ~CEnvironmentVariable();
    CEnvironmentVariable(const CEnvironmentVariable&) = delete;
    CEnvironmentVariable& operator=(const CEnvironmentVariable&) = delete;

private:
    std::wstring m_name;
    std::wstring m_old;
    bool m_hadOld = false;
};

// Makes Wine report another Windows version to every process started from the program file
// named `exeName` (for example "win2k" for Windows 2000), until the object ends.
class CWineVersionOverride {
public:
    CWineVersionOverride(const wchar_t* exeName, const wchar_t* version);
    ~CWineVersionOverride();
    CWineVersionOverride(const CWineVersionOverride&) = delete;
    CWineVersionOverride& operator=(const CWineVersionOverride&) = delete;

private:
    std::wstring m_keyPath;
};

} // namespace testprocess
