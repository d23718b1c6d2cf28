#pragma once
// The real system behind in-use detection: ntdll's Native API found at run time, the FileInfo
// device and PSAPI loaded on demand.

#include "ISystemHandles.h"
#include "UniqueHandle.h"

class CSystemHandles : public ISystemHandles {
public:
    CSystemHandles() = default;
    CSystemHandles(const CSystemHandles&) = delete;
    CSystemHandles& operator=(const CSystemHandles&) = delete;

    bool bindNative() override;
    NTSTATUS querySystemInformation(ULONG infoClass, void* buffer, ULONG bytes, ULONG* returned) override;
    NTSTATUS queryObject(HANDLE object, ULONG infoClass, void* buffer, ULONG bytes, ULONG* returned) override;
    NTSTATUS duplicateObject(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, HANDLE* target,
                             ACCESS_MASK access, ULONG attributes, ULONG options) override;
    NTSTATUS closeObject(HANDLE object) override;

    DWORD currentProcessId() override;
    HANDLE openProcess(DWORD access, DWORD processId) override;
    void closeHandle(HANDLE handle) override;

    HANDLE openDevice(const wchar_t* path) override;
    bool deviceControl(HANDLE device, DWORD code, const void* in, DWORD inBytes, void* out, DWORD outBytes,
                       DWORD* returned) override;

    bool bindProcessModules() override;
    bool enumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed) override;
    DWORD moduleFileName(HANDLE process, HMODULE module, wchar_t* name, DWORD chars) override;

private:
    using NtCloseFn = NTSTATUS(NTAPI*)(HANDLE);
    using NtOpenProcessFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, CLIENT_ID*);
    using NtQueryObjectFn = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    using NtDuplicateObjectFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, HANDLE, PHANDLE, ACCESS_MASK, ULONG, ULONG);
    using NtQuerySystemInformationFn = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD);
    using GetModuleFileNameExWFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);

    NtCloseFn m_ntClose = nullptr;
    NtOpenProcessFn m_ntOpenProcess = nullptr;
    NtQueryObjectFn m_ntQueryObject = nullptr;
    NtDuplicateObjectFn m_ntDuplicateObject = nullptr;
    NtQuerySystemInformationFn m_ntQuerySystemInformation = nullptr;
    CModuleHandle m_psapi;
    EnumProcessModulesFn m_enumProcessModules = nullptr;
    GetModuleFileNameExWFn m_getModuleFileNameEx = nullptr;
};
