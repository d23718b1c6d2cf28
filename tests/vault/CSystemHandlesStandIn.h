#pragma once
// A stand-in system for in-use detection: a handle table, the kernel names the FileInfo
// driver would give, the objects' types and file names, and the processes' programs. It
// counts the handles it hands out, so a test can see that every one came back.

#include "ISystemHandles.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class CSystemHandlesStandIn : public ISystemHandles {
public:
    struct SHandle {
        DWORD processId = 0;
        BYTE type = 28;
        USHORT handle = 4;
        uintptr_t object = 0;
        std::wstring kernelName;          // what the FileInfo driver answers
        std::wstring typeName = L"File";  // what NtQueryObject answers
        std::wstring fileName;            // the object's name
        bool duplicateFails = false;
    };

    CSystemHandlesStandIn();

    // Adds an entry; a zero object address gets a fresh one.
    void addHandle(SHandle handle);
    // A process that may be opened, and the program it runs.
    void addProcess(DWORD processId, const std::wstring& program, bool canOpen = true);
    // Every program lets go of its files.
    void clearHandles();

    DWORD ownProcessId = 4000;
    bool nativeMissing = false;
    bool deviceMissing = false;
    bool psapiMissing = false;
    // A count beyond the entries really in the answer.
    ULONG reportedCount = 0;
    // The answer's bytes reported smaller than the table (0: the table's real size).
    ULONG reportedBytes = 0;

    int openHandles() const { return m_open; }
    int tableQueries() const { return m_tableQueries; }
    ULONG largestBuffer() const { return m_largestBuffer; }

    bool bindNative() override;
    NTSTATUS querySystemInformation(ULONG infoClass, void* buffer, ULONG bytes, ULONG* returned) override;
    NTSTATUS queryObject(HANDLE object, ULONG infoClass, void* buffer, ULONG bytes, ULONG* returned) override;
    NTSTATUS duplicateObject(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, HANDLE* target,
                             ACCESS_MASK access, ULONG attributes, ULONG options) override;
    NTSTATUS closeObject(HANDLE object) override;
    DWORD currentProcessId() override { return ownProcessId; }
    HANDLE openProcess(DWORD access, DWORD processId) override;
    void closeHandle(HANDLE handle) override;
    HANDLE openDevice(const wchar_t* path) override;
    bool deviceControl(HANDLE device, DWORD code, const void* in, DWORD inBytes, void* out, DWORD outBytes,
                       DWORD* returned) override;
    bool bindProcessModules() override { return !psapiMissing; }
    bool enumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed) override;
    DWORD moduleFileName(HANDLE process, HMODULE module, wchar_t* name, DWORD chars) override;

private:
    struct SProcess {
        std::wstring program;
        bool canOpen = true;
    };
    enum class Kind { Process, Object, Device };
    struct SOpened {
        Kind kind;
        DWORD processId = 0;
        size_t handleIndex = 0;
    };

    static uint64_t key(DWORD processId, USHORT handle) { return (uint64_t(processId) << 16) | handle; }
    HANDLE hand(SOpened opened);
    const SOpened* find(HANDLE handle, Kind kind) const;
    static NTSTATUS countedText(const std::wstring& text, void* buffer, ULONG bytes, ULONG* returned);

    std::vector<SHandle> m_handles;
    std::unordered_map<uintptr_t, size_t> m_byObject;
    std::unordered_map<uint64_t, size_t> m_byHandle;
    std::unordered_map<DWORD, SProcess> m_processes;
    std::unordered_map<uintptr_t, SOpened> m_opened;
    uintptr_t m_nextHandle = 0x1000;
    uintptr_t m_nextObject = 0x10000;
    int m_open = 0;
    int m_tableQueries = 0;
    ULONG m_largestBuffer = 0;
};
