#pragma once
// A network share as Wine serves it: "\\server\share" is the prefix's dosdevices\unc folder,
// so a share made there stands for a folder on another machine. The files written through
// it (or handed over) and the share's folders go when the object ends.

#include <windows.h>

#include <string>
#include <vector>

class CWineShare {
public:
    CWineShare(const std::wstring& server, const std::wstring& share);
    ~CWineShare();
    CWineShare(const CWineShare&) = delete;
    CWineShare& operator=(const CWineShare&) = delete;

    // "\\server\share\"
    std::wstring root() const { return L"\\\\" + m_server + L"\\" + m_share + L"\\"; }
    bool write(const std::wstring& name, const std::vector<BYTE>& bytes);
    // A file made in the share some other way, removed with it.
    void own(const std::wstring& path) { m_paths.push_back(path); }

private:
    std::wstring m_server, m_share, m_unc;
    std::vector<std::wstring> m_paths;
};
