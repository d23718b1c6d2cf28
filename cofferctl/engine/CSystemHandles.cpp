#include "CSystemHandles.h"

#include "ProcAddress.h"

namespace {
// Returned by the Native API when a function was not found.
constexpr NTSTATUS kNotImplemented = static_cast<NTSTATUS>(0xC0000002L);
} // namespace

bool CSystemHandles::bindNative()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    m_ntClose = procAddress<NtCloseFn>(ntdll, "NtClose");
    // Looked up with the rest, though the walk opens processes through kernel32.
    m_ntOpenProcess = procAddress<NtOpenProcessFn>(ntdll, "NtOpenProcess");
    m_ntQueryObject = procAddress<NtQueryObjectFn>(ntdll, "NtQueryObject");
    m_ntDuplicateObject = procAddress<NtDuplicateObjectFn>(ntdll, "NtDuplicateObject");
    m_ntQuerySystemInformation = procAddress<NtQuerySystemInformationFn>(ntdll, "NtQuerySystemInformation");
    return m_ntClose && m_ntQueryObject && m_ntDuplicateObject && m_ntQuerySystemInformation;
}

NTSTATUS CSystemHandles::querySystemInformation(ULONG infoClass, void* buffer, ULONG bytes, ULONG* returned)
{
    return m_ntQuerySystemInformation ? m_ntQuerySystemInformation(infoClass, buffer, bytes, returned)
                                      : kNotImplemented;
}

NTSTATUS CSystemHandles::queryObject(HANDLE object, ULONG infoClass, void* buffer, ULONG bytes, ULONG* returned)
{
    return m_ntQueryObject ? m_ntQueryObject(object, infoClass, buffer, bytes, returned) : kNotImplemented;
}

NTSTATUS CSystemHandles::duplicateObject(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, HANDLE* target,
                                         ACCESS_MASK access, ULONG attributes, ULONG options)
{
    return m_ntDuplicateObject
        ? m_ntDuplicateObject(sourceProcess, source, targetProcess, target, access, attributes, options)
        : kNotImplemented;
}

NTSTATUS CSystemHandles::closeObject(HANDLE object)
{
    return m_ntClose ? m_ntClose(object) : kNotImplemented;
}

DWORD CSystemHandles::currentProcessId() { return GetCurrentProcessId(); }

HANDLE CSystemHandles::openProcess(DWORD access, DWORD processId)
{
    return OpenProcess(access, FALSE, processId);
}

void CSystemHandles::closeHandle(HANDLE handle) { CloseHandle(handle); }

HANDLE CSystemHandles::openDevice(const wchar_t* path)
{
    return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
}

bool CSystemHandles::deviceControl(HANDLE device, DWORD code, const void* in, DWORD inBytes, void* out,
                                   DWORD outBytes, DWORD* returned)
{
    // The device is overlapped: every request carries an event to wait on.
    CHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    if (DeviceIoControl(device, code, const_cast<void*>(in), inBytes, out, outBytes, returned, &overlapped))
        return true;
    if (GetLastError() != ERROR_IO_PENDING)
        return false;
    return GetOverlappedResult(device, &overlapped, returned, TRUE) != FALSE;
}

bool CSystemHandles::bindProcessModules()
{
    if (!m_psapi)
        m_psapi.reset(LoadLibraryW(L"PSAPI.DLL"));
    m_enumProcessModules = procAddress<EnumProcessModulesFn>(m_psapi.get(), "EnumProcessModules");
    m_getModuleFileNameEx = procAddress<GetModuleFileNameExWFn>(m_psapi.get(), "GetModuleFileNameExW");
    return m_enumProcessModules && m_getModuleFileNameEx;
}

bool CSystemHandles::enumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed)
{
    return m_enumProcessModules && m_enumProcessModules(process, modules, bytes, needed);
}

DWORD CSystemHandles::moduleFileName(HANDLE process, HMODULE module, wchar_t* name, DWORD chars)
{
    return m_getModuleFileNameEx ? m_getModuleFileNameEx(process, module, name, chars) : 0;
}
