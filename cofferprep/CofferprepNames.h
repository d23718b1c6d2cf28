#pragma once
// Fixed identifiers of the driver installation, written and compared exactly as here.

#include <windows.h>

namespace cofferprep {

inline constexpr char kDriversFolder[] = "Drivers";
inline constexpr char kBusInfName[] = "bus.inf";
inline constexpr wchar_t kPolicyKeyPath[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\DriverSearching";
inline constexpr wchar_t kDontPromptValue[] = L"DontPromptForWindowsUpdate";
inline constexpr wchar_t kDontSearchValue[] = L"DontSearchWindowsUpdate";

// How long the service run may take before the installation goes on without it.
inline constexpr DWORD kServiceWaitMs = 5000;

} // namespace cofferprep
