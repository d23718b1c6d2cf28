// Cofferprep: installs the secure-disk bus driver from the Drivers folder beside the program,
// makes Windows install the secure-disk driver and prepares its instances. No arguments.

#include "CCofferprepApp.h"
#include "CModule.h"
#include "CSetupApiDeviceAccess.h"
#include "CWindowsVersion.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    CSetupApiDeviceAccess devices;
    CInstallation::Settings settings;
    // The folder with a trailing backslash, as the installation's paths are built from it.
    const std::wstring folder = CModule::folderOf(nullptr);
    settings.programFolder = folder.empty() ? folder : folder + L"\\";
    settings.windows2000 = CWindowsVersion::isWindows2000();
    return CCofferprepApp(instance, devices, settings).run();
}
