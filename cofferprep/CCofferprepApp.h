#pragma once
// Cofferprep's application object: the progress dialog is its main window, and whoever
// started the program is told through "CofferixInstallDrivers" when it ends, on every path.

#include "CInstallation.h"
#include "IDeviceAccess.h"

#include <windows.h>

class CCofferprepApp {
public:
    CCofferprepApp(HINSTANCE instance, IDeviceAccess& devices, CInstallation::Settings settings)
        : m_instance(instance), m_devices(devices), m_settings(std::move(settings))
    {
    }

    // The program's exit code: always 0, nobody reads it.
    int run();

private:
    HINSTANCE m_instance;
    IDeviceAccess& m_devices;
    CInstallation::Settings m_settings;
};
