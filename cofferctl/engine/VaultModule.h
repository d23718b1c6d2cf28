#pragma once
// The module (Cofferctl.dll, or a program that links the engine) whose code runs the vault and
// whose resources hold its texts.

#include <windows.h>

#include <initializer_list>
#include <string>

namespace vaultModule {

HMODULE handle();
std::wstring fileName();
// A string of the module's string table; empty when it has none under that id.
std::wstring loadString(UINT id);
// The string with each "%s" replaced by the next argument, in order.
std::wstring format(UINT id, std::initializer_list<std::wstring> args);

} // namespace vaultModule
