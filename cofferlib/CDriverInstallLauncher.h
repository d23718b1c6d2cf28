#pragma once
// Starts Cofferprep from the folder of this library and waits until it has finished, while
// the calling thread's messages keep being dispatched. Cofferprep says it has finished by
// setting "CofferixInstallDrivers".

#include "UniqueHandle.h"

#include <windows.h>

#include <string>

class CDriverInstallLauncher {
public:
    // `module`: the library whose folder holds Cofferprep.exe.
    explicit CDriverInstallLauncher(HMODULE module) : m_module(module) {}

    // Returns when Cofferprep has signalled, when it has ended without signalling, or at once
    // when it could not be started (nothing would ever signal then).
    void run();

    std::wstring programPath() const;

private:
    // The new process, or an empty handle when the program is missing or does not start.
    CHandle start(const std::wstring& path);
    // Waits for `finished` or the end of `process`, dispatching this thread's messages.
    static void waitDispatching(HANDLE finished, HANDLE process);

    HMODULE m_module;
};
