#pragma once
// A lockbox's data file: capacity bytes of disk image followed by the private area. Naming,
// creation and the checks made before the file is used.

#include <windows.h>

#include <string>

#include "UniqueHandle.h"

class CDataFile {
public:
    static constexpr const wchar_t* SparseSetting = L"EnableSparseFiles";

    // folder + n + ".dat" for the first n, counting up from a random start, that names no
    // existing file. The folder ends with a backslash.
    static std::wstring newName(const std::wstring& folder);

    // Creates a new data file in `folder` for a disk image of `capacityMB` megabytes, sparse
    // when the volume allows it and "EnableSparseFiles" is 1. The handle is left open with its
    // pointer at the end of the disk image, where the private area goes.
    static bool create(const std::wstring& folder, DWORD capacityMB, CFileHandle& file, std::wstring& path,
                       bool* sparse = nullptr);

    // Outcome of the check before a data file is used: a status of the vault (0 usable,
    // 1 missing, 5 unusable) and the string that explains it.
    struct SCheck {
        int status = 0;
        UINT messageId = 0;
        bool usable() const { return status == 0; }
    };
    static SCheck check(const std::wstring& path);

    static bool exists(const std::wstring& path);

private:
    static bool volumeSupportsSparse(const std::wstring& folder);
};
