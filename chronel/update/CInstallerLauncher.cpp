#include "CInstallerLauncher.h"

#include "UniqueHandle.h"

namespace {

// How long the installer is given to reach its first idle wait.
constexpr DWORD kIdleWaitMs = 10000;

std::wstring expand(const std::wstring& text)
{
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0)
        return text;
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed)
        return text;
    expanded.resize(written - 1);
    return expanded;
}

} // namespace

CInstallerLauncher::CInstallerLauncher(ITrustVerifier& trust, std::wstring reference)
    : m_trust(trust), m_reference(std::move(reference))
{
}

std::wstring CInstallerLauncher::cleanPath(const std::wstring& path)
{
    std::wstring clean = expand(path);
    while (!clean.empty() && clean.front() == L'"')
        clean.erase(0, 1);
    while (!clean.empty() && clean.back() == L'"')
        clean.pop_back();
    return clean;
}

bool CInstallerLauncher::trusted(const std::wstring& path, HANDLE file)
{
    if (m_trust.verify(path, file) != ERROR_SUCCESS)
        return false;
    const std::wstring publisher = m_trust.signerSubject(m_reference);
    return publisher.empty() || m_trust.signerSubject(path) == publisher;
}

CInstallerLauncher::Outcome CInstallerLauncher::start(const std::wstring& program, const std::wstring& workingFolder)
{
    const std::wstring path = cleanPath(program);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return Outcome::Missing;
    {
        // Held open without write sharing from the check to the start, so the file that runs
        // is the file that was checked.
        CFileHandle held(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (held.valid() && trusted(path, held.get())) {
            const std::wstring folder = expand(workingFolder);
            STARTUPINFOW startup{};
            startup.cb = sizeof(startup);
            startup.dwFlags = STARTF_FORCEONFEEDBACK;
            CProcessInformation process;
            if (!CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                                folder.empty() ? nullptr : folder.c_str(), &startup, process.put()))
                return Outcome::StartFailed;
            WaitForInputIdle(process.process(), kIdleWaitMs);
            return Outcome::Started;
        }
    }
    DeleteFileW(path.c_str());
    return Outcome::Refused;
}
