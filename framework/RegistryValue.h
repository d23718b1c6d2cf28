#pragma once
// Reading registry values as they really are stored: any size, no promised terminator, an
// even or odd length, and REG_EXPAND_SZ text still to expand.

#include <windows.h>

#include <string>
#include <vector>

// The value's type and data at its stored size. The value may grow between the size query
// and the read (another thread writes it): ERROR_MORE_DATA then asks again.
bool queryRegistryValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<BYTE>& data);

// Registry text data as a string: the whole characters, up to the first zero.
std::wstring registryText(const std::vector<BYTE>& data);

// Environment variables expanded, into a buffer of at least `minimumChars` characters that
// grows when the expansion needs more.
std::wstring expandEnvironment(const std::wstring& text, size_t minimumChars);
