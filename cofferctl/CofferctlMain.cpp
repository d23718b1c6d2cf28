// Entry point of Cofferctl.dll.

#include "CModule.h"

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    CModule::onDllMain(instance, reason, reserved);
    return TRUE;
}
