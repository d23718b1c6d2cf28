// Coffersvc: started once as a service by Cofferprep, only to run with the rights of the local
// system account. It never connects to the service control manager; it prepares the secure
// disk's instance keys, signals "CoffersvcEvent" and ends. No arguments, no output.

#include "CInstanceCloner.h"
#include "CWindowsVersion.h"
#include "SecureDisk.h"
#include "SetupNames.h"
#include "UniqueHandle.h"

#include <windows.h>

namespace {

// The program's own module and command line are all it starts from.
bool initialise()
{
    char path[MAX_PATH];
    return GetModuleHandleA(nullptr) != nullptr && GetModuleFileNameA(nullptr, path, MAX_PATH) != 0 &&
           GetCommandLineA() != nullptr;
}

// Cofferprep waits at most five seconds for this; it is set on every way out.
void signalDone()
{
    CHandle done(CreateEventA(nullptr, FALSE, FALSE, setupnames::kVaultServiceDoneEvent));
    if (done)
        SetEvent(done.get());
}

} // namespace

int main()
{
    int exitCode = 1;
    if (initialise()) {
        try {
            CInstanceCloner(HKEY_LOCAL_MACHINE, securedisk::kDiskInstanceKeyPath).run(CWindowsVersion::isWindows2000());
        } catch (...) {
            // Out of memory while copying: what was copied stays, the caller is still told.
        }
        exitCode = 0;
    }
    signalDone();
    return exitCode;
}
