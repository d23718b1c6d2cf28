#pragma once
// A function found by name at run time, as its real type. GetProcAddress answers FARPROC,
// whose return type (INT_PTR) differs from most functions' on x64; going through void*
// states that the caller knows the real type.

#include <windows.h>

template <typename Fn>
Fn procAddress(HMODULE module, const char* name)
{
    if (!module)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
