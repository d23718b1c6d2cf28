#pragma once
// Starts a downloaded installer, but only one whose Authenticode signature verifies and whose
// signer is the publisher of the running program (the same certificate subject as the
// program's own signature; a program that is not signed itself, as in a development build,
// accepts any verified signature). A file that fails is deleted and nothing is started.

#include "ITrustVerifier.h"

#include <string>

class CInstallerLauncher {
public:
    // `reference` is the program whose publisher the installer must share.
    CInstallerLauncher(ITrustVerifier& trust, std::wstring reference);

    enum class Outcome { Started, Missing, Refused, StartFailed };

    // Environment variables are expanded in both paths and double quotes stripped from the
    // program's. Waits until the started program is idle, at most 10 s.
    Outcome start(const std::wstring& program, const std::wstring& workingFolder);

    // Expands environment variables and strips surrounding double quotes.
    static std::wstring cleanPath(const std::wstring& path);

private:
    bool trusted(const std::wstring& path, HANDLE file);

    ITrustVerifier& m_trust;
    std::wstring m_reference;
};
