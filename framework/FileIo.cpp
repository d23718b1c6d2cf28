#include "FileIo.h"

#include <algorithm>

namespace fileio {

bool size(HANDLE file, uint64_t& bytes)
{
    LARGE_INTEGER li;
    if (!GetFileSizeEx(file, &li))
        return false;
    bytes = static_cast<uint64_t>(li.QuadPart);
    return true;
}

bool position(HANDLE file, uint64_t& offset)
{
    LARGE_INTEGER zero{}, at{};
    if (!SetFilePointerEx(file, zero, &at, FILE_CURRENT))
        return false;
    offset = static_cast<uint64_t>(at.QuadPart);
    return true;
}

bool seek(HANDLE file, uint64_t offset)
{
    LARGE_INTEGER li;
    li.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, li, nullptr, FILE_BEGIN) != FALSE;
}

bool readAt(HANDLE file, uint64_t offset, void* buffer, DWORD length)
{
    DWORD got = 0;
    return seek(file, offset) && ReadFile(file, buffer, length, &got, nullptr) && got == length;
}

bool writeAll(HANDLE file, const void* data, size_t length)
{
    const BYTE* next = static_cast<const BYTE*>(data);
    while (length) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(length, 1 << 20)), done = 0;
        if (!WriteFile(file, next, chunk, &done, nullptr) || done == 0)
            return false;
        next += done;
        length -= done;
    }
    return true;
}

bool readToEnd(HANDLE file, std::string& bytes)
{
    char buffer[4096];
    DWORD got = 0;
    for (;;) {
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer, got);
    }
}

} // namespace fileio
