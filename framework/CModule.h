#pragma once
// The module whose code is running: the program, or the DLL that links the framework. Window
// classes are registered against it, and dialogs, strings and bitmaps come from its
// resources, so that a DLL's windows and texts are its own. The framework is a static library:
// every binary carries its own copy of this state.

#include <windows.h>

#include <string>

class CModule {
public:
    // The instance given to set(), or else the module that holds this code.
    static HINSTANCE instance();
    // From WinMain or DllMain.
    static void set(HINSTANCE instance);

    // Remembers a window class registered against the module (once per name).
    static void addClass(const wchar_t* name);
    // Unregisters every class remembered: Windows keeps a DLL's classes after the DLL has
    // gone, with window procedures that point into unmapped code.
    static void unregisterClasses();
    // A DLL's DllMain calls this: the module is set on attach, and its classes go when it is
    // unloaded (not at process end, when the system takes them with the process and user32
    // may already be shutting down).
    static void onDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

    // This module's full path, and its folder without a trailing backslash.
    static std::wstring path() { return pathOf(instance()); }
    static std::wstring folder() { return folderOf(instance()); }
    // The same for any module; nullptr is the program. Paths longer than MAX_PATH are read
    // whole.
    static std::wstring pathOf(HMODULE module);
    static std::wstring folderOf(HMODULE module);
};
