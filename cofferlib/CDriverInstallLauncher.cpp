#include "CDriverInstallLauncher.h"

#include "CMessageWait.h"
#include "CModule.h"
#include "SetupNames.h"
#include "UniqueHandle.h"

namespace {

constexpr wchar_t kProgramName[] = L"Cofferprep.exe";
// Long enough for the dialog to come up before the caller's window takes the foreground back.
constexpr DWORD kInputIdleMs = 1000;

} // namespace

std::wstring CDriverInstallLauncher::programPath() const
{
    const std::wstring folder = CModule::folderOf(m_module);
    return folder.empty() ? std::wstring() : folder + L"\\" + kProgramName;
}

void CDriverInstallLauncher::run()
{
    // Created before Cofferprep starts, so that its signal cannot come before anyone holds
    // the event.
    CHandle finished(CreateEventW(nullptr, FALSE, FALSE, setupnames::kDriverSetupFinishedEvent));
    if (!finished)
        return;
    const std::wstring path = programPath();
    if (path.empty())
        return;
    CHandle process = start(path);
    if (!process)
        return;
    waitDispatching(finished.get(), process.get());
}

CHandle CDriverInstallLauncher::start(const std::wstring& path)
{
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return {};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_FORCEONFEEDBACK; // the busy cursor until Cofferprep shows its dialog
    CProcessInformation info;
    if (!CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, info.put()))
        return {};
    WaitForInputIdle(info.process(), kInputIdleMs);
    return info.releaseProcess();
}

void CDriverInstallLauncher::waitDispatching(HANDLE finished, HANDLE process)
{
    // The process too: a Cofferprep that ends without signalling (killed, or crashed) must
    // not keep the caller waiting forever.
    const HANDLE handles[2] = {finished, process};
    CMessageWait::forAny(handles, 2);
}
