#pragma once
// Finds which processes hold files open on given disks: walks the system handle table, has
// the FileInfo driver name each file object, and names the programs behind the processes.

#include "ISystemHandles.h"
#include "CSystemHandleOwner.h"
#include "SecureDisk.h"

#include <map>
#include <string>
#include <vector>

class CInUseDetector {
public:
    explicit CInUseDetector(ISystemHandles& system);
    CInUseDetector(const CInUseDetector&) = delete;
    CInUseDetector& operator=(const CInUseDetector&) = delete;

    // Kernel device names such as L"\\Device\\SDisk3". False when the Native API, the
    // FileInfo device or PSAPI cannot be used.
    bool detect(const std::vector<std::wstring>& deviceNames);
    // Program paths of the processes found, in the order found.
    const std::vector<std::wstring>& programs() const { return m_programs; }
    // Kernel file names the program's process holds (empty names for files it could not name).
    std::vector<std::wstring> itemsOf(const std::wstring& program) const;
    const std::map<DWORD, std::vector<std::wstring>>& filesByProcess() const { return m_files; }
    // The handle-table type number of file objects, 0 until one has been seen.
    BYTE fileType() const { return m_fileType; }

    // The system handle table (class 16), cut to what the answer really holds.
    bool readHandleTable(std::vector<fileinfo::SystemHandleEntry>& entries);

    // A known program's everyday name, else the path itself.
    static std::wstring friendlyName(const std::wstring& program);

private:
    bool walkTable(const std::vector<fileinfo::SystemHandleEntry>& entries,
                   const std::vector<std::wstring>& deviceNames);
    std::wstring kernelName(const fileinfo::SystemHandleEntry& entry);
    std::wstring fileNameOf(const fileinfo::SystemHandleEntry& entry);
    bool findPrograms();

    ISystemHandles& m_system;
    std::map<DWORD, std::vector<std::wstring>> m_files;
    std::map<std::wstring, DWORD> m_programIds;
    std::vector<std::wstring> m_programs;
    CSystemHandleOwner m_device;
    BYTE m_fileType = 0;
};
