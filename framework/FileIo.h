#pragma once
// Reading and writing files through their handles: sizes and positions as 64-bit numbers,
// and reads and writes that either move every byte or report failure (ReadFile and WriteFile
// may move fewer bytes than asked).

#include <windows.h>

#include <cstdint>
#include <string>

namespace fileio {

bool size(HANDLE file, uint64_t& bytes);
bool position(HANDLE file, uint64_t& offset);
bool seek(HANDLE file, uint64_t offset);
// Exactly `length` bytes from `offset`.
bool readAt(HANDLE file, uint64_t offset, void* buffer, DWORD length);
// All of `data` from the current position, in pieces of at most 1 MiB.
bool writeAll(HANDLE file, const void* data, size_t length);
// What is left from the current position to the end.
bool readToEnd(HANDLE file, std::string& bytes);

} // namespace fileio
