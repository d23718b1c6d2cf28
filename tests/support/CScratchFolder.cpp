#include "CScratchFolder.h"

#include "UniqueHandle.h"

#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>

#include <vector>

CScratchFolder::CScratchFolder(const std::wstring& name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    for (unsigned attempt = GetTickCount() ^ GetCurrentProcessId();; ++attempt) {
        std::wstring candidate = std::wstring(temp) + name + L" " + std::to_wstring(attempt % 100000) + L"\\";
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            m_path = candidate;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return;
    }
}

CScratchFolder::~CScratchFolder()
{
    if (m_path.empty())
        return;
    // A program that ran from here may still be closing its file: try for a while.
    std::vector<wchar_t> from(m_path.begin(), m_path.end() - 1);
    from.insert(from.end(), 2, L'\0');
    for (int attempt = 0; attempt < 40; ++attempt) {
        SHFILEOPSTRUCTW operation{};
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.data();
        operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        if (SHFileOperationW(&operation) == 0 && GetFileAttributesW(m_path.c_str()) == INVALID_FILE_ATTRIBUTES)
            return;
        Sleep(50);
    }
}

bool CScratchFolder::createFolder(const std::wstring& relative)
{
    std::wstring full = m_path + relative;
    return SHCreateDirectoryExW(nullptr, full.c_str(), nullptr) == ERROR_SUCCESS ||
           GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CScratchFolder::copyIn(const std::wstring& source, const std::wstring& relative)
{
    size_t slash = relative.rfind(L'\\');
    if (slash != std::wstring::npos && !createFolder(relative.substr(0, slash)))
        return false;
    return CopyFileW(source.c_str(), (m_path + relative).c_str(), FALSE) != FALSE;
}

bool CScratchFolder::write(const std::wstring& relative, const std::string& content)
{
    size_t slash = relative.rfind(L'\\');
    if (slash != std::wstring::npos && !createFolder(relative.substr(0, slash)))
        return false;
    CFileHandle file(CreateFileW((m_path + relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
           written == content.size();
}
