#include "CFileDownloader.h"

#include "UniqueHandle.h"
#include "resource.h"

bool CFileDownloader::connect(const std::wstring& root)
{
    if (m_connection.isOpen()) {
        OutputDebugStringW(L"** CInternetFTP - Connection Already Open **\n");
        return false;
    }
    return m_connection.open(root, L"Orvel.Tempra", nullptr, nullptr,
                             [this](DWORD status, const void* information, DWORD length) {
                                 onStatus(status, information, length);
                             });
}

void CFileDownloader::onStatus(DWORD status, const void* information, DWORD length)
{
    if (status != INTERNET_STATUS_REQUEST_SENT && status != INTERNET_STATUS_RESPONSE_RECEIVED)
        return;
    if (!information || length < sizeof(DWORD))
        return;
    const DWORD bytes = *static_cast<const DWORD*>(information);
    m_total += bytes;
    unsigned long long percent = m_expected ? m_total * 100 / m_expected : 0;
    if (percent > 100)
        percent = 100;
    if (m_window && IsWindow(m_window))
        SendMessageW(m_window, WM_DOWNLOAD_PROGRESS, static_cast<WPARAM>(percent), static_cast<LPARAM>(bytes));
}

bool CFileDownloader::download(const std::wstring& file, const std::wstring& localPath)
{
    if (!m_connection.isOpen())
        return false;
    CFileHandle local(CreateFileW(localPath.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!local.valid())
        return false;
    m_total = 0;
    m_expected = 0;
    const bool done = m_connection.get(
        m_connection.objectFor(file), INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_CACHE_WRITE, kStep,
        [&](const BYTE* bytes, DWORD count) {
            DWORD written = 0;
            return WriteFile(local.get(), bytes, count, &written, nullptr) && written == count;
        },
        &m_expected);
    local.reset();
    if (!done)
        DeleteFileW(localPath.c_str());
    return done;
}
