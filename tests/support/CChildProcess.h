#pragma once
// A program of ours started by a test: its windows, its message boxes and its end.

#include "UniqueHandle.h"

#include <windows.h>

#include <string>
#include <vector>

struct FoundWindow {
    HWND hwnd;
    std::wstring className;
    std::wstring title;
};

class CChildProcess {
public:
    // Starts `program` (a file beside the test program, or a full path) with `arguments`.
    CChildProcess(const std::wstring& program, const std::wstring& arguments);
    // Ends a process that is still running.
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    bool started() const { return m_process.valid(); }
    DWORD id() const { return m_id; }
    // True when the process ended within `ms`; `exitCode` then holds its code.
    bool waitForExit(DWORD ms, DWORD* exitCode = nullptr);
    bool running() const;

    // Top-level windows of this process.
    std::vector<FoundWindow> windows() const;
    // Waits until a top-level window of the class (and title, when given) exists.
    HWND waitForWindow(const wchar_t* className, const wchar_t* title, DWORD ms) const;
    // The texts of a message box's static controls.
    static std::wstring dialogText(HWND dialog);

    static std::wstring besideTests(const std::wstring& file);

    // Waits up to `ms` for every process whose executable file is `exeName` to end, whoever
    // started it (COM starts local servers itself), and ends those still running. True when
    // none had to be ended. A straggler would otherwise hold the test's output open, and ctest
    // waits for that.
    static bool allEndWithin(const std::wstring& exeName, DWORD ms);

    // Runs a console program to its end (at most `ms`) and returns what it wrote to its
    // standard output and error.
    static std::wstring runCapturing(const std::wstring& program, const std::wstring& arguments, DWORD ms,
                                     DWORD* exitCode = nullptr);

private:
    CHandle m_process;
    DWORD m_id = 0;
};
