#pragma once
// What the vault engine and Cofferprep share with the drivers they talk to: the secure-disk
// bus and disk drivers (interface classes, hardware ids, I/O control codes and their buffers)
// and the FileInfo driver. The buffers are fixed to the byte; only what holds a kernel
// address takes the size of a pointer.

#include <windows.h>

#include <cstddef>

namespace securedisk {

// Device interface classes the drivers register.
inline constexpr GUID kBusInterface = {0x5a57c30b, 0xbb86, 0x4f23, {0xa2, 0xd2, 0x2d, 0x82, 0x91, 0xa1, 0x24, 0xba}};
inline constexpr GUID kDiskInterface = {0x1ae10d8d, 0xede3, 0x4d9f, {0xb7, 0x24, 0x45, 0x36, 0xcc, 0xe5, 0x93, 0x74}};

// Hardware ids: the root-enumerated bus and a disk on it.
inline constexpr char kBusHardwareId[] = "root\\sbusenum";
inline constexpr char kDiskHardwareId[] = "SecureDisk\\Disk_AesEnc";
// The disk's device-instance key under HKEY_LOCAL_MACHINE: one subkey per instance.
inline constexpr char kDiskInstanceKeyPath[] = "SYSTEM\\CurrentControlSet\\Enum\\SecureDisk\\Disk_AesEnc";

// I/O control codes, all METHOD_BUFFERED and FILE_ANY_ACCESS.
inline constexpr DWORD kIoctlPlugIn = 0x002A0000;     // to the bus: make one new disk
inline constexpr DWORD kIoctlDiskStatus = 0x00222000; // to a disk or its volume: describe it
inline constexpr DWORD kIoctlAttach = 0x00222004;     // to a disk: serve this data file with this key

// The plug-in request, answered in the same buffer: the header's size, serial number 0, and
// the new disk's hardware ids as UTF-16 strings ended by an empty one.
struct PlugInRequest {
    DWORD headerSize;
    DWORD serialNumber;
    wchar_t hardwareIds[24];
};
static_assert(sizeof(PlugInRequest) == 56, "the plug-in request is 56 bytes");
inline constexpr DWORD kPlugInHeaderSize = 8;

// The request for one new disk of hardware id kDiskHardwareId; the zeros after the id end
// the list.
inline PlugInRequest plugInRequest()
{
    PlugInRequest request{};
    request.headerSize = kPlugInHeaderSize;
    request.serialNumber = 0;
    const wchar_t id[] = L"SecureDisk\\Disk_AesEnc";
    static_assert(sizeof id + sizeof(wchar_t) <= sizeof request.hardwareIds);
    for (size_t i = 0; i < sizeof id / sizeof id[0]; ++i)
        request.hardwareIds[i] = id[i];
    return request;
}

// The disk status: little-endian fields at fixed offsets (the name starts at an odd 26, so
// it is read field by field rather than through a structure).
inline constexpr DWORD kStatusBytes = 304;    // the buffer a status is asked into
inline constexpr DWORD kStatusMinimumBytes = 30; // a shorter answer counts as failure
inline constexpr size_t kStatusDiskNumber = 0;   // 32 bits: the disk is "\Device\SDisk<n>"
inline constexpr size_t kStatusAttachState = 4;  // 32 bits: 1 serving a data file, 0 unused
inline constexpr size_t kStatusDiskSize = 8;     // 64 bits, bytes
inline constexpr size_t kStatusIdleTime = 16;    // 64 bits, 100 ns since the disk was last used
inline constexpr size_t kStatusNameBytes = 24;   // 16 bits
inline constexpr size_t kStatusName = 26;        // the data file's name in NT form

// The attach request: a zero-filled buffer of name bytes + 32, answered in the same buffer.
inline constexpr size_t kAttachUsableSize = 0; // 64 bits, bytes
inline constexpr size_t kAttachKey = 8;        // the 16-byte disk key
inline constexpr size_t kAttachKeyBytes = 16;
inline constexpr size_t kAttachNameBytes = 24; // 16 bits, without the terminator
inline constexpr size_t kAttachName = 26;      // NT form, 0-terminated
inline constexpr size_t kAttachExtraBytes = 32;

} // namespace securedisk

namespace fileinfo {

// The FileInfo driver, installed by Chronel as the service "FileInfo" from FINFO.sys.
inline constexpr wchar_t kServiceName[] = L"FileInfo";
inline constexpr wchar_t kDriverFile[] = L"FINFO.sys";
inline constexpr wchar_t kDevicePath[] = L"\\\\.\\FileInfo";
// Input: a file object's kernel address (pointer-sized); output: its kernel name.
inline constexpr DWORD kIoctlObjectName = 0x00222000;
inline constexpr DWORD kObjectNameBytes = 512;

// One entry of the system handle table (NtQuerySystemInformation, class 16), after the
// table's 32-bit count.
struct SystemHandleEntry {
    ULONG processId;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK grantedAccess;
};
#if defined(_WIN64)
static_assert(sizeof(SystemHandleEntry) == 24 && offsetof(SystemHandleEntry, object) == 8
                  && offsetof(SystemHandleEntry, grantedAccess) == 16,
              "a handle-table entry is 24 bytes on x64");
#else
static_assert(sizeof(SystemHandleEntry) == 16 && offsetof(SystemHandleEntry, object) == 8
                  && offsetof(SystemHandleEntry, grantedAccess) == 12,
              "a handle-table entry is 16 bytes on x86");
#endif

} // namespace fileinfo
