#pragma once
// Runs Coffersvc once as the service "Cofferix", only to have it run as the local system
// account: the service is created, started, given at most five seconds to signal
// "CoffersvcEvent", and deleted again.

#include <windows.h>

#include <string>

class CVaultServiceRun {
public:
    // `programFolder` holds Coffersvc.exe and ends in a backslash.
    explicit CVaultServiceRun(std::wstring programFolder) : m_programFolder(std::move(programFolder)) {}

    // Runs the service when exactly one secure-disk instance exists: none means no disk was
    // installed, more than one that the instances were prepared before.
    void runOnce();

    // Instances under the secure disk's Enum key; 0 when the key cannot be opened.
    static DWORD countInstances();

    // The service's image path, quoted so that a folder with spaces cannot be taken for a
    // shorter program path.
    std::wstring imagePath() const;

private:
    std::wstring m_programFolder;
};
