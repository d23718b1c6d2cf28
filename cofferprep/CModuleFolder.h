#pragma once
// The folder of a module's own file, where the setup programs find their companions.

#include <windows.h>

#include <string>

class CModuleFolder {
public:
    // Full path of `module` (the program itself for nullptr) cut after its last backslash,
    // always ending in a backslash; empty when the path cannot be read.
    static std::wstring of(HMODULE module);
};
