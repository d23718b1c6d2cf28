#pragma once
// Names that the setup programs agree on: Cofferlib starts Cofferprep and waits for its
// event; Cofferprep registers Coffersvc as a service, starts it and waits for its event.

namespace setupnames {

// Cofferprep, beside Cofferlib.dll; sets this event when it ends.
inline constexpr wchar_t kDriverSetupProgram[] = L"Cofferprep.exe";
inline constexpr wchar_t kDriverSetupFinishedEvent[] = L"CofferixInstallDrivers";

// Coffersvc, beside Cofferprep, run as this service; sets this event when it ends.
inline constexpr wchar_t kVaultServiceProgram[] = L"Coffersvc.exe";
inline constexpr wchar_t kVaultServiceName[] = L"Cofferix";
inline constexpr wchar_t kVaultServiceDisplayName[] = L"Cofferix Service";
inline constexpr char kVaultServiceDoneEvent[] = "CoffersvcEvent";

} // namespace setupnames
