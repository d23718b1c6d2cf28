#pragma once
// The installation thread's work: the driver-search policy is suppressed, the bus driver is
// installed, the disk is prepared, and the policy is put back. Windows are never touched
// here: the dialog that started the work is asked to show the failure message.

#include "CWaitFlags.h"
#include "IDeviceAccess.h"
#include "UniqueHandle.h"

#include <string>

class IInstallationUi {
public:
    virtual ~IInstallationUi() = default;
    // The bus driver could not be installed; returns once the user has seen the message.
    virtual void showInstallFailure() = 0;
};

class CInstallation {
public:
    struct Settings {
        std::wstring programFolder; // ends in a backslash; holds Drivers\bus.inf and Coffersvc.exe
        bool windows2000 = false;
    };

    CInstallation(IDeviceAccess& devices, Settings settings, IInstallationUi& ui)
        : m_devices(devices), m_settings(std::move(settings)), m_ui(ui)
    {
    }

    // Starts the installation thread; an empty handle when it could not be started.
    CHandle start();
    // The installation thread's body.
    void run();

    CWaitFlags& flags() { return m_flags; }
    const Settings& settings() const { return m_settings; }

    // The INF file of the bus driver: program folder, "Drivers", "bus.inf".
    std::string infPath() const;

private:
    static DWORD WINAPI threadProc(void* self);

    IDeviceAccess& m_devices;
    Settings m_settings;
    IInstallationUi& m_ui;
    CWaitFlags m_flags;
};
