#include "CSystemHandlesStandIn.h"

#include "SecureDisk.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {
constexpr NTSTATUS kSuccess = 0;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
constexpr NTSTATUS kInvalidHandle = static_cast<NTSTATUS>(0xC0000008L);
constexpr NTSTATUS kAccessDenied = static_cast<NTSTATUS>(0xC0000022L);
constexpr NTSTATUS kInvalidInfoClass = static_cast<NTSTATUS>(0xC0000003L);

struct TableStart {
    ULONG count;
    fileinfo::SystemHandleEntry first;
};
constexpr size_t kEntriesOffset = offsetof(TableStart, first);
} // namespace

CSystemHandlesStandIn::CSystemHandlesStandIn() = default;

void CSystemHandlesStandIn::addHandle(SHandle handle)
{
    if (!handle.object)
        handle.object = (m_nextObject += 0x40);
    m_byObject[handle.object] = m_handles.size();
    m_byHandle[key(handle.processId, handle.handle)] = m_handles.size();
    m_handles.push_back(std::move(handle));
}

void CSystemHandlesStandIn::addProcess(DWORD processId, const std::wstring& program, bool canOpen)
{
    m_processes[processId] = SProcess{program, canOpen};
}

void CSystemHandlesStandIn::clearHandles()
{
    m_handles.clear();
    m_byObject.clear();
    m_byHandle.clear();
}

bool CSystemHandlesStandIn::bindNative() { return !nativeMissing; }

HANDLE CSystemHandlesStandIn::hand(SOpened opened)
{
    const uintptr_t value = (m_nextHandle += 4);
    m_opened[value] = opened;
    ++m_open;
    return reinterpret_cast<HANDLE>(value);
}

const CSystemHandlesStandIn::SOpened* CSystemHandlesStandIn::find(HANDLE handle, Kind kind) const
{
    const auto found = m_opened.find(reinterpret_cast<uintptr_t>(handle));
    return found != m_opened.end() && found->second.kind == kind ? &found->second : nullptr;
}

NTSTATUS CSystemHandlesStandIn::querySystemInformation(ULONG infoClass, void* buffer, ULONG bytes, ULONG* returned)
{
    if (infoClass != 16)
        return kInvalidInfoClass;
    ++m_tableQueries;
    m_largestBuffer = std::max(m_largestBuffer, bytes);
    const size_t needed = kEntriesOffset + m_handles.size() * sizeof(fileinfo::SystemHandleEntry);
    if (returned)
        *returned = static_cast<ULONG>(needed);
    if (bytes < needed)
        return kInfoLengthMismatch;
    auto* out = static_cast<BYTE*>(buffer);
    const ULONG count = reportedCount ? reportedCount : static_cast<ULONG>(m_handles.size());
    std::memcpy(out, &count, sizeof count);
    auto* entries = reinterpret_cast<fileinfo::SystemHandleEntry*>(out + kEntriesOffset);
    for (size_t i = 0; i < m_handles.size(); ++i) {
        const SHandle& h = m_handles[i];
        fileinfo::SystemHandleEntry entry{};
        entry.processId = h.processId;
        entry.objectType = h.type;
        entry.handle = h.handle;
        entry.object = reinterpret_cast<PVOID>(h.object);
        entry.grantedAccess = FILE_GENERIC_READ;
        entries[i] = entry;
    }
    if (returned && reportedBytes)
        *returned = reportedBytes;
    return kSuccess;
}

HANDLE CSystemHandlesStandIn::openProcess(DWORD access, DWORD processId)
{
    if (processId == ownProcessId)
        return hand(SOpened{Kind::Process, processId});
    const auto process = m_processes.find(processId);
    if (process == m_processes.end() || !process->second.canOpen)
        return nullptr;
    return hand(SOpened{Kind::Process, processId});
}

void CSystemHandlesStandIn::closeHandle(HANDLE handle)
{
    const auto found = m_opened.find(reinterpret_cast<uintptr_t>(handle));
    if (found == m_opened.end() || found->second.kind == Kind::Object)
        return; // CloseHandle of something it did not open: the count shows the leak
    m_opened.erase(found);
    --m_open;
}

NTSTATUS CSystemHandlesStandIn::closeObject(HANDLE object)
{
    const auto found = m_opened.find(reinterpret_cast<uintptr_t>(object));
    if (found == m_opened.end() || found->second.kind != Kind::Object)
        return kInvalidHandle;
    m_opened.erase(found);
    --m_open;
    return kSuccess;
}

NTSTATUS CSystemHandlesStandIn::duplicateObject(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess,
                                                HANDLE* target, ACCESS_MASK, ULONG, ULONG options)
{
    const SOpened* from = find(sourceProcess, Kind::Process);
    const SOpened* to = find(targetProcess, Kind::Process);
    if (!from || !to || to->processId != ownProcessId || options != DUPLICATE_SAME_ACCESS)
        return kInvalidHandle;
    const auto handle = m_byHandle.find(key(from->processId, static_cast<USHORT>(reinterpret_cast<uintptr_t>(source))));
    if (handle == m_byHandle.end())
        return kInvalidHandle;
    if (m_handles[handle->second].duplicateFails)
        return kAccessDenied;
    *target = hand(SOpened{Kind::Object, from->processId, handle->second});
    return kSuccess;
}

NTSTATUS CSystemHandlesStandIn::countedText(const std::wstring& text, void* buffer, ULONG bytes, ULONG* returned)
{
    const size_t needed = sizeof(UNICODE_STRING) + (text.size() + 1) * sizeof(wchar_t);
    if (returned)
        *returned = static_cast<ULONG>(needed);
    if (bytes < needed)
        return kInfoLengthMismatch;
    auto* out = static_cast<BYTE*>(buffer);
    auto* chars = reinterpret_cast<wchar_t*>(out + sizeof(UNICODE_STRING));
    std::memcpy(chars, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    UNICODE_STRING counted;
    counted.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    counted.MaximumLength = static_cast<USHORT>(counted.Length + sizeof(wchar_t));
    counted.Buffer = chars;
    std::memcpy(out, &counted, sizeof counted);
    return kSuccess;
}

NTSTATUS CSystemHandlesStandIn::queryObject(HANDLE object, ULONG infoClass, void* buffer, ULONG bytes, ULONG* returned)
{
    const SOpened* opened = find(object, Kind::Object);
    if (!opened)
        return kInvalidHandle;
    const SHandle& h = m_handles[opened->handleIndex];
    switch (infoClass) {
    case 0: { // basic: the sizes the other two answers take; files report no name size
        if (bytes < 56)
            return kInfoLengthMismatch;
        std::memset(buffer, 0, 56);
        const ULONG typeSize = static_cast<ULONG>(sizeof(UNICODE_STRING) + h.typeName.size() * sizeof(wchar_t));
        const ULONG nameSize = h.typeName == L"File"
            ? 0
            : static_cast<ULONG>(sizeof(UNICODE_STRING) + (h.fileName.size() + 1) * sizeof(wchar_t));
        std::memcpy(static_cast<BYTE*>(buffer) + 36, &nameSize, 4);
        std::memcpy(static_cast<BYTE*>(buffer) + 40, &typeSize, 4);
        if (returned)
            *returned = 56;
        return kSuccess;
    }
    case 1:
        return countedText(h.fileName, buffer, bytes, returned);
    case 2:
        return countedText(h.typeName, buffer, bytes, returned);
    }
    return kInvalidInfoClass;
}

HANDLE CSystemHandlesStandIn::openDevice(const wchar_t* path)
{
    if (deviceMissing || std::wstring(path) != fileinfo::kDevicePath)
        return INVALID_HANDLE_VALUE;
    return hand(SOpened{Kind::Device});
}

bool CSystemHandlesStandIn::deviceControl(HANDLE device, DWORD code, const void* in, DWORD inBytes, void* out,
                                          DWORD outBytes, DWORD* returned)
{
    if (!find(device, Kind::Device) || code != fileinfo::kIoctlObjectName || inBytes != sizeof(PVOID)
        || outBytes < fileinfo::kObjectNameBytes)
        return false;
    PVOID address = nullptr;
    std::memcpy(&address, in, sizeof address);
    const auto found = m_byObject.find(reinterpret_cast<uintptr_t>(address));
    if (found == m_byObject.end())
        return false;
    const std::wstring& name = m_handles[found->second].kernelName;
    const size_t chars = std::min<size_t>(name.size(), outBytes / sizeof(wchar_t) - 1);
    std::memcpy(out, name.c_str(), chars * sizeof(wchar_t));
    static_cast<wchar_t*>(out)[chars] = L'\0';
    if (returned)
        *returned = static_cast<DWORD>((chars + 1) * sizeof(wchar_t));
    return true;
}

bool CSystemHandlesStandIn::enumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed)
{
    const SOpened* opened = find(process, Kind::Process);
    if (!opened || bytes < sizeof(HMODULE))
        return false;
    // The program's module, then a library.
    modules[0] = reinterpret_cast<HMODULE>(uintptr_t(0x400000));
    if (bytes >= 2 * sizeof(HMODULE))
        modules[1] = reinterpret_cast<HMODULE>(uintptr_t(0x7ff00000));
    *needed = 2 * sizeof(HMODULE);
    return true;
}

DWORD CSystemHandlesStandIn::moduleFileName(HANDLE process, HMODULE module, wchar_t* name, DWORD chars)
{
    const SOpened* opened = find(process, Kind::Process);
    if (!opened || module != reinterpret_cast<HMODULE>(uintptr_t(0x400000)) || chars == 0)
        return 0;
    const auto found = m_processes.find(opened->processId);
    if (found == m_processes.end())
        return 0;
    const std::wstring& program = found->second.program;
    const size_t length = std::min<size_t>(program.size(), chars - 1);
    std::memcpy(name, program.c_str(), length * sizeof(wchar_t));
    name[length] = L'\0';
    return static_cast<DWORD>(length);
}
