// A DLL built on the framework, for the module tests: the window class it registers and the
// texts it loads must be its own, and its classes must go when it is unloaded.

#include "CModule.h"
#include "CWnd.h"
#include "ResourceString.h"

#include <windows.h>

#include <cwchar>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    CModule::onDllMain(instance, reason, reserved);
    return TRUE;
}

extern "C" __declspec(dllexport) HINSTANCE moduleTestInstance() { return CModule::instance(); }

extern "C" __declspec(dllexport) BOOL moduleTestRegisterClass(const wchar_t* name)
{
    return CWnd::registerClass(name) ? TRUE : FALSE;
}

// String 1 of the DLL's own string table, through the framework's default module.
extern "C" __declspec(dllexport) void moduleTestString(wchar_t* buffer, size_t size)
{
    std::wcsncpy(buffer, loadString(1).c_str(), size - 1);
    buffer[size - 1] = L'\0';
}
