#pragma once
// Privileges of the process token. An administrator's token holds the system-time and
// time-zone privileges, but disabled: a program enables one before the call that needs it.

#include <windows.h>

// Enables a privilege by name (SE_SYSTEMTIME_NAME, ...); false when the token lacks it.
bool enablePrivilege(const wchar_t* name);
