#pragma once
// The hand-shake between scripts/screenshots and a showcase program, through files in the
// program's current folder: the program writes "ready" once everything is on the screen and
// "ended" as it ends; the script writes "stop" when its picture is taken.

#include <windows.h>

namespace showcase {

inline bool stopAsked() { return GetFileAttributesW(L"stop") != INVALID_FILE_ATTRIBUTES; }

inline void signal(const wchar_t* name)
{
    HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

} // namespace showcase
