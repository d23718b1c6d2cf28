#pragma once
// What in-use detection asks of the system: the Native API of ntdll, process handles, the
// FileInfo device and PSAPI. CSystemHandles makes the real calls; tests give a stand-in,
// since neither the FileInfo driver nor other programs' open files exist there.

#include <windows.h>
#include <winternl.h>

class ISystemHandles {
public:
    virtual ~ISystemHandles() = default;

    // Finds the ntdll functions; false when one the walk needs is missing.
    virtual bool bindNative() = 0;
    virtual NTSTATUS querySystemInformation(ULONG infoClass, void* buffer, ULONG bytes, ULONG* returned) = 0;
    virtual NTSTATUS queryObject(HANDLE object, ULONG infoClass, void* buffer, ULONG bytes, ULONG* returned) = 0;
    virtual NTSTATUS duplicateObject(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, HANDLE* target,
                                     ACCESS_MASK access, ULONG attributes, ULONG options) = 0;
    // NtClose, for handles the Native API handed out.
    virtual NTSTATUS closeObject(HANDLE object) = 0;

    virtual DWORD currentProcessId() = 0;
    // Null when the process cannot be opened.
    virtual HANDLE openProcess(DWORD access, DWORD processId) = 0;
    // CloseHandle, for process and device handles.
    virtual void closeHandle(HANDLE handle) = 0;

    // The device opened for overlapped reading and writing; INVALID_HANDLE_VALUE on failure.
    virtual HANDLE openDevice(const wchar_t* path) = 0;
    // One request to an overlapped device, waited for.
    virtual bool deviceControl(HANDLE device, DWORD code, const void* in, DWORD inBytes, void* out, DWORD outBytes,
                               DWORD* returned) = 0;

    // Loads PSAPI and finds its functions; false when they are missing.
    virtual bool bindProcessModules() = 0;
    virtual bool enumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed) = 0;
    virtual DWORD moduleFileName(HANDLE process, HMODULE module, wchar_t* name, DWORD chars) = 0;
};
