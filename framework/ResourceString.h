#pragma once
// Texts from the string table of a module (by default the module that links the framework:
// the program, or the DLL; see CModule).

#include <windows.h>

#include <initializer_list>
#include <string>

std::wstring loadString(UINT id, HMODULE module = nullptr);

// printf-style formatting of a string-table entry; %s takes a wide string (const wchar_t*).
std::wstring formatString(UINT id, ...);
std::wstring formatText(const wchar_t* format, ...);
std::wstring formatTextV(const wchar_t* format, va_list args);

// The string with each "%s" replaced by the next argument, in order; nothing else in the
// text or the arguments is interpreted.
std::wstring substituteString(UINT id, std::initializer_list<std::wstring> args);

// Every "%s" in the text replaced by `value` (for texts that use %s more than once).
std::wstring replaceAll(std::wstring text, const std::wstring& placeholder, const std::wstring& value);
