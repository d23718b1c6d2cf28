#include "CInstallation.h"

#include "CBusDriverInstaller.h"
#include "CDiskPreparer.h"
#include "CDriverSearchPolicy.h"
#include "CVaultServiceRun.h"
#include "CofferprepNames.h"


CHandle CInstallation::start()
{
    DWORD id = 0;
    return CHandle(CreateThread(nullptr, 0, &CInstallation::threadProc, this, 0, &id));
}

DWORD WINAPI CInstallation::threadProc(void* self)
{
    try {
        static_cast<CInstallation*>(self)->run();
    } catch (...) {
        // Out of memory: the policy has been put back by its owner; the program ends normally.
    }
    return 0;
}

std::string CInstallation::infPath() const
{
    // The SetupAPI calls of the bus installation take ANSI paths.
    const std::wstring& folder = m_settings.programFolder;
    int bytes = WideCharToMultiByte(CP_ACP, 0, folder.c_str(), static_cast<int>(folder.size()), nullptr, 0, nullptr,
                                    nullptr);
    std::string ansiFolder(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, 0, folder.c_str(), static_cast<int>(folder.size()), ansiFolder.data(), bytes,
                            nullptr, nullptr);
    return ansiFolder + cofferprep::kDriversFolder + "\\" + cofferprep::kBusInfName;
}

void CInstallation::run()
{
    m_flags.attachWaiter();

    CDriverSearchPolicy policy;
    if (!m_settings.windows2000)
        policy.suppressWindowsUpdate();

    if (CBusDriverInstaller(m_devices).install(infPath())) {
        CVaultServiceRun service(m_settings.programFolder);
        CDiskPreparer(m_devices, m_flags, service, m_settings.windows2000).prepare();
    } else {
        m_ui.showInstallFailure();
    }

    policy.restore();
}
