#pragma once
// Fixed identifiers of the driver installation, written and compared exactly as here.

#include <windows.h>

namespace cofferprep {

inline constexpr char kDriversFolder[] = "Drivers";
inline constexpr char kBusInfName[] = "bus.inf";
inline constexpr wchar_t kServiceProgram[] = L"Coffersvc.exe";

// Hardware ids: the root-enumerated bus and a disk on it.
inline constexpr char kBusHardwareId[] = "root\\sbusenum";
inline constexpr char kDiskHardwareId[] = "SecureDisk\\Disk_AesEnc";

// Device interface classes the drivers register.
inline constexpr GUID kBusInterface = {0x5a57c30b, 0xbb86, 0x4f23, {0xa2, 0xd2, 0x2d, 0x82, 0x91, 0xa1, 0x24, 0xba}};
inline constexpr GUID kDiskInterface = {0x1ae10d8d, 0xede3, 0x4d9f, {0xb7, 0x24, 0x45, 0x36, 0xcc, 0xe5, 0x93, 0x74}};

// Device I/O control codes: ask the bus for a new disk; describe a disk.
inline constexpr DWORD kIoctlPlugIn = 0x002A0000;
inline constexpr DWORD kIoctlDiskQuery = 0x00222000;
// The plug-in request is answered in the same 56-byte buffer.
inline constexpr DWORD kPlugInRequestBytes = 56;
inline constexpr DWORD kDiskQueryBytes = 304;
// A working disk describes itself in more than this many bytes.
inline constexpr DWORD kDiskQueryMinimumBytes = 30;

inline constexpr wchar_t kPolicyKeyPath[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\DriverSearching";
inline constexpr wchar_t kDontPromptValue[] = L"DontPromptForWindowsUpdate";
inline constexpr wchar_t kDontSearchValue[] = L"DontSearchWindowsUpdate";

inline constexpr wchar_t kServiceName[] = L"Cofferix";
inline constexpr wchar_t kServiceDisplayName[] = L"Cofferix Service";
// How long the service run may take before the installation goes on without it.
inline constexpr DWORD kServiceWaitMs = 5000;

// Set when Cofferprep ends; Cofferlib's InstallDrivers waits for it.
inline constexpr wchar_t kFinishedEventName[] = L"CofferixInstallDrivers";

} // namespace cofferprep
