#include "CDataFile.h"

#include "CVaultSettings.h"
#include "FileIo.h"
#include "resource.h"

#include <winioctl.h>

#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <vector>

bool CDataFile::exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring CDataFile::newName(const std::wstring& folder)
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    long n = std::rand();
    for (;;) {
        std::wstring path = folder + std::to_wstring(n) + L".dat";
        if (!exists(path))
            return path;
        ++n;
    }
}

bool CDataFile::volumeSupportsSparse(const std::wstring& folder)
{
    std::vector<wchar_t> root(folder.size() + MAX_PATH);
    DWORD flags = 0;
    return GetVolumePathNameW(folder.c_str(), root.data(), static_cast<DWORD>(root.size()))
        && GetVolumeInformationW(root.data(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)
        && (flags & FILE_SUPPORTS_SPARSE_FILES);
}

bool CDataFile::create(const std::wstring& folder, DWORD capacityMB, CFileHandle& file, std::wstring& path,
                       bool* sparse)
{
    if (sparse)
        *sparse = false;
    path = newName(folder);
    file.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return false;
    if (volumeSupportsSparse(folder) && CVaultSettings::sparseFilesEnabled()) {
        DWORD returned = 0;
        bool marked = DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr) != FALSE;
        if (sparse)
            *sparse = marked;
    }
    if (!fileio::seek(file.get(), static_cast<uint64_t>(capacityMB) * 1024 * 1024)) {
        file.reset();
        DeleteFileW(path.c_str());
        return false;
    }
    return true;
}

CDataFile::SCheck CDataFile::check(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {1, IDS_DATA_FILE_MISSING};
    // The secure-disk driver serves the file's raw bytes: compressed or encrypted storage
    // would hand it something else.
    if (attributes & FILE_ATTRIBUTE_COMPRESSED)
        return {5, IDS_DATA_FILE_COMPRESSED};
    if (attributes & FILE_ATTRIBUTE_ENCRYPTED)
        return {5, IDS_DATA_FILE_ENCRYPTED};
    CFileHandle probe(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe)
        return {5, IDS_DATA_FILE_READ_ONLY};
    return {};
}
