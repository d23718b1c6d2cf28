// Cofferlib: one export for setup programs that can call a library function but cannot start
// a program and wait for it while their window stays alive.

#include "CDriverInstallLauncher.h"

#include <windows.h>

// Exported by name through Cofferlib.def. Blocks the calling thread, dispatching its
// messages, until Cofferprep has finished. Always 0: Cofferprep reports its own failures.
extern "C" int WINAPI InstallDrivers(void)
{
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&InstallDrivers), &self))
        return 0;
    try {
        CDriverInstallLauncher(self).run();
    } catch (...) {
        // Nothing may unwind into the setup program.
    }
    return 0;
}
