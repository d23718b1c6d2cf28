#pragma once
// The kernel driver service "FileInfo" from FINFO.sys beside the program, which the vault's
// in-use detection talks to: installed and started while Chronel runs, deleted at exit.
// Without administrator rights it is simply not there.

#include <string>

class CFileInfoService {
public:
    CFileInfoService() = default;
    CFileInfoService(const CFileInfoService&) = delete;
    CFileInfoService& operator=(const CFileInfoService&) = delete;

    void install(const std::wstring& programFolder);
    // Only what this instance installed.
    void remove();
    bool installed() const { return m_installed; }

private:
    bool m_installed = false;
};
