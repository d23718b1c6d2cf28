#include "CWineShare.h"

#include "UniqueHandle.h"

CWineShare::CWineShare(const std::wstring& server, const std::wstring& share) : m_server(server), m_share(share)
{
    wchar_t value[MAX_PATH] = {};
    std::wstring prefix;
    if (GetEnvironmentVariableW(L"WINEPREFIX", value, MAX_PATH))
        prefix = value;
    else if (GetEnvironmentVariableW(L"HOME", value, MAX_PATH))
        prefix = std::wstring(value) + L"/.wine";
    m_unc = L"\\\\?\\unix" + prefix + L"/dosdevices/unc";
    CreateDirectoryW(m_unc.c_str(), nullptr);
    CreateDirectoryW((m_unc + L"/" + server).c_str(), nullptr);
    CreateDirectoryW((m_unc + L"/" + server + L"/" + share).c_str(), nullptr);
}

CWineShare::~CWineShare()
{
    for (const std::wstring& path : m_paths)
        DeleteFileW(path.c_str());
    RemoveDirectoryW((m_unc + L"/" + m_server + L"/" + m_share).c_str());
    RemoveDirectoryW((m_unc + L"/" + m_server).c_str());
}

bool CWineShare::write(const std::wstring& name, const std::vector<BYTE>& bytes)
{
    const std::wstring path = root() + name;
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    m_paths.push_back(path);
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}
